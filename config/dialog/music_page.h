#pragma once

#include "config/dialog/configure_page.h"
#include "config/music_file_filter.h"

#include <QStringList>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace skyloom {

// The file dialog's filters, in order: playlists, music files, all files.
QStringList MusicFileFilters();

// Asks for an existing file, starting from startName with the filter of
// that number (1-based); nullopt when cancelled.
using MusicFileChooser =
    std::function<std::optional<QString>(QWidget* parent, const QString& startName, int filterNumber)>;
// The standard chooser: QFileDialog titled "Select a music file or playlist".
std::optional<QString> ChooseMusicFileWithDialog(QWidget* parent, const QString& startName, int filterNumber);

// The page of the music played while the saver runs: the start-player box
// (stored at each click) and the file name (stored when the page is left,
// on OK, and when the sheet closes in any other way).
class MusicPage : public ConfigurePage {
    Q_OBJECT

public:
    static constexpr int kIndex = 2;

    explicit MusicPage(QWidget* parent = nullptr);

    void PutTexts() override;
    void Deactivate() override;

    void SetFileChooser(MusicFileChooser chooser) { chooseFile_ = std::move(chooser); }

private:
    void SelectFile();

    QCheckBox* playMusic_;
    QLabel* playlistLabel_;
    QLineEdit* fileName_;
    QPushButton* select_;
    QLabel* about_;
    MusicFileChooser chooseFile_ = ChooseMusicFileWithDialog;
};

}  // namespace skyloom
