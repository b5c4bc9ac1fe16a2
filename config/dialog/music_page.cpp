#include "config/dialog/music_page.h"

#include "config/dialog_controls.h"
#include "config/music_file_filter.h"
#include "settings/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

#include <string>

namespace skyloom {

namespace {

const MusicPageControls& kControls = kMusicPageControls;

// Refuses input that would make the name longer than the setting holds, so
// what the field shows is what gets stored.
class Utf8LengthValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return input.toUtf8().size() <= kControls.maxFileNameBytes ? Acceptable : Invalid;
    }
};

}  // namespace

QStringList MusicFileFilters() {
    QStringList filters;
    for (const MusicFileFilter& filter : kMusicFileFilters) {
        // Qt takes the patterns from the last parentheses, separated by
        // blanks, and hides that part (HideNameFilterDetails), so the
        // description shows as it stands. "*.*" means every file to the
        // user; on Linux the pattern for that is "*".
        QString patterns = QLatin1String(filter.patterns);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*")) {
            patterns = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(QLatin1String(filter.description), patterns);
    }
    return filters;
}

std::optional<QString> ChooseMusicFileWithDialog(QWidget* parent, const QString& startName, int filterNumber) {
    QFileDialog dialog(parent, QStringLiteral("Select a music file or playlist"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = MusicFileFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filterNumber - 1, filters.first()));
    if (!startName.isEmpty()) {
        dialog.selectFile(startName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first();
}

MusicPage::MusicPage(QWidget* parent)
    : ConfigurePage(kIndex, parent),
      playMusic_(new QCheckBox(this)),
      playlistLabel_(new QLabel(this)),
      fileName_(new QLineEdit(this)),
      select_(new QPushButton(this)),
      about_(new QLabel(this)) {
    playMusic_->setObjectName(ObjectName(kControls.playMusic.box.control));
    playlistLabel_->setObjectName(ObjectName(kControls.playlistLabel.control));
    fileName_->setObjectName(ObjectName(kControls.fileName));
    select_->setObjectName(ObjectName(kControls.select.control));
    about_->setObjectName(ObjectName(kControls.about));

    fileName_->setMaxLength(kControls.maxFileNameBytes);
    fileName_->setValidator(new Utf8LengthValidator(fileName_));
    playlistLabel_->setBuddy(fileName_);
    about_->setWordWrap(true);
    about_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    about_->setTextFormat(Qt::PlainText);

    connect(playMusic_, &QCheckBox::clicked, this,
            [](bool checked) { kControls.playMusic.setting->Set(checked ? 1 : 0); });
    connect(select_, &QPushButton::clicked, this, &MusicPage::SelectFile);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileName_, 1);
    fileRow->addWidget(select_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(playMusic_);
    layout->addSpacing(8);
    layout->addWidget(playlistLabel_);
    layout->addLayout(fileRow);
    layout->addSpacing(8);
    layout->addWidget(about_, 1);

    PutTexts();
    playMusic_->setChecked(kControls.playMusic.setting->Get() == 1);
    fileName_->setText(QString::fromUtf8(kControls.fileSetting->Get()));
}

void MusicPage::PutTexts() {
    playMusic_->setText(Text(kControls.playMusic.box.key));
    playlistLabel_->setText(Text(kControls.playlistLabel.key));
    select_->setText(Text(kControls.select.key));
    about_->setText(QStringLiteral("%1 %2").arg(Text(kControls.aboutKeys[0]), Text(kControls.aboutKeys[1])));
}

void MusicPage::Deactivate() { kControls.fileSetting->Set(fileName_->text().toUtf8().toStdString()); }

void MusicPage::SelectFile() {
    const QString current = fileName_->text();
    const std::optional<QString> chosen = chooseFile_(this, current, MusicStartingFilter(current.toUtf8().toStdString()));
    if (!chosen) {
        return;
    }
    if (chosen->toUtf8().size() > kControls.maxFileNameBytes) {
        // Cutting a path would name another file: refuse it instead.
        QApplication::beep();
        return;
    }
    fileName_->setText(*chosen);
}

}  // namespace skyloom
