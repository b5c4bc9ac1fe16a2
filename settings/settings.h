#pragma once

#include "settings/setting_kinds.h"

namespace skyloom {

// The key every setting lives under.
inline constexpr char kSettingsKeyPath[] = "Software\\Quillmere\\Skyloom";

// The global setting objects, constructed in this order at start-up.
extern BoolSetting ShowSupernovae;
extern BoolSetting ShowRedGiants;
extern BoolSetting ShowLensFlare;
extern BoolSetting ShowSunFlare;
extern BoolSetting ShowLocalTime;
extern BoolSetting FadeFromDesktop;
extern BoolSetting ShowFramerate;
extern BoolSetting VsyncEnabled;
extern BoolSetting LowDetail;
extern BoolSetting PlayMusic;
extern BoolSetting PermitMonitorPowerSaving;
extern BoolSetting PrimaryMonitorOnly;
extern BoolSetting DarkPatchesInNebulae;
extern BoolSetting NebulaeStorms;
extern BoolSetting ConstellationLines;

extern FloatSetting FactorCameraFov;
extern FloatSetting FactorCameraSpeed;
extern FloatSetting FactorNumSuns;
extern FloatSetting FactorNumStars;
extern FloatSetting FactorNumNebulae;
extern FloatSetting FactorDeskFade;

extern IntSetting SunColorEnum;
extern IntSetting NebulaColorEnum;
extern IntSetting CustomSunColor;
extern IntSetting CustomNebulaColor;
extern IntSetting CameraRotateEnum;
extern IntSetting CurrentConfigureSheet;
extern IntSetting VersionMajor;
extern IntSetting VersionMinor;
extern IntSetting UCA;
extern IntSetting UsageCountScreensaver;
extern IntSetting BailCountdownS;
extern IntSetting Seed;
extern IntSetting MaxTextureSizePixels;

extern StringSetting MusicFilename;
extern StringSetting AppDir;
extern StringSetting CurrentLanguage;

// The Controls page's restore-defaults: the appearance settings in their
// fixed order. VsyncEnabled, music, language and counters keep their values.
void RestoreDefaultSettings();

}  // namespace skyloom
