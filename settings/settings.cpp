#include "settings/settings.h"

namespace skyloom {

// Defined in one translation unit so they are constructed in this order.
BoolSetting ShowSupernovae(kSettingsKeyPath, "ShowSupernovae", true);
BoolSetting ShowRedGiants(kSettingsKeyPath, "ShowRedGiants", true);
BoolSetting ShowLensFlare(kSettingsKeyPath, "ShowLensFlare", true);
BoolSetting ShowSunFlare(kSettingsKeyPath, "ShowSunFlare", true);
BoolSetting ShowLocalTime(kSettingsKeyPath, "ShowLocalTime", false);
BoolSetting FadeFromDesktop(kSettingsKeyPath, "FadeFromDesktop", true);
BoolSetting ShowFramerate(kSettingsKeyPath, "ShowFramerate", false);
BoolSetting VsyncEnabled(kSettingsKeyPath, "VsyncEnabled", true);
BoolSetting LowDetail(kSettingsKeyPath, "LowDetail", false);
BoolSetting PlayMusic(kSettingsKeyPath, "PlayMusic", false);
BoolSetting PermitMonitorPowerSaving(kSettingsKeyPath, "PermitMonitorPowerSaving", false);
BoolSetting PrimaryMonitorOnly(kSettingsKeyPath, "PrimaryMonitorOnly", true);
BoolSetting DarkPatchesInNebulae(kSettingsKeyPath, "DarkPatchesInNebulae", true);
BoolSetting NebulaeStorms(kSettingsKeyPath, "NebulaeStorms", true);
BoolSetting ConstellationLines(kSettingsKeyPath, "ConstellationLines", false);

FloatSetting FactorCameraFov(kSettingsKeyPath, "FactorCameraFov", 0.82f);
FloatSetting FactorCameraSpeed(kSettingsKeyPath, "FactorCameraSpeed", 0.12f);
FloatSetting FactorNumSuns(kSettingsKeyPath, "FactorNumSuns", 0.15f);
FloatSetting FactorNumStars(kSettingsKeyPath, "FactorNumStars", 0.125f);
FloatSetting FactorNumNebulae(kSettingsKeyPath, "FactorNumNebulae", 0.22f);
FloatSetting FactorDeskFade(kSettingsKeyPath, "FactorDeskFade", 1.0f);

IntSetting SunColorEnum(kSettingsKeyPath, "SunColorEnum", 3);
IntSetting NebulaColorEnum(kSettingsKeyPath, "NebulaColorEnum", 2);
IntSetting CustomSunColor(kSettingsKeyPath, "CustomSunColor", 0xFFFFFF);
IntSetting CustomNebulaColor(kSettingsKeyPath, "CustomNebulaColor", 0x660000);
IntSetting CameraRotateEnum(kSettingsKeyPath, "CameraRotateEnum", 3);
IntSetting CurrentConfigureSheet(kSettingsKeyPath, "CurrentConfigureSheet", 0);
IntSetting VersionMajor(kSettingsKeyPath, "VersionMajor", 3);
IntSetting VersionMinor(kSettingsKeyPath, "VersionMinor", 3);
IntSetting UCA(kSettingsKeyPath, "UCA", 0);
IntSetting UsageCountScreensaver(kSettingsKeyPath, "UsageCountScreensaver", 0);
IntSetting BailCountdownS(kSettingsKeyPath, "BailCountdownS", 0);
IntSetting Seed(kSettingsKeyPath, "Seed", 0);
IntSetting MaxTextureSizePixels(kSettingsKeyPath, "MaxTextureSizePixels", 0);

StringSetting MusicFilename(kSettingsKeyPath, "MusicFilename", "");
StringSetting AppDir(kSettingsKeyPath, "AppDir", "");
StringSetting CurrentLanguage(kSettingsKeyPath, "CurrentLanguage", "english");

void RestoreDefaultSettings() {
    ShowSupernovae.ResetToDefault();
    ShowRedGiants.ResetToDefault();
    NebulaeStorms.ResetToDefault();
    DarkPatchesInNebulae.ResetToDefault();
    ShowLensFlare.ResetToDefault();
    ShowSunFlare.ResetToDefault();
    ShowLocalTime.ResetToDefault();
    FadeFromDesktop.ResetToDefault();
    ShowFramerate.ResetToDefault();
    LowDetail.ResetToDefault();
    PermitMonitorPowerSaving.ResetToDefault();
    PrimaryMonitorOnly.ResetToDefault();
    ConstellationLines.ResetToDefault();
    FactorCameraFov.ResetToDefault();
    FactorCameraSpeed.ResetToDefault();
    FactorNumSuns.ResetToDefault();
    FactorNumStars.ResetToDefault();
    FactorNumNebulae.ResetToDefault();
    FactorDeskFade.ResetToDefault();
    SunColorEnum.ResetToDefault();
    NebulaColorEnum.ResetToDefault();
    CustomSunColor.ResetToDefault();
    CustomNebulaColor.ResetToDefault();
    CameraRotateEnum.ResetToDefault();
}

}  // namespace skyloom
