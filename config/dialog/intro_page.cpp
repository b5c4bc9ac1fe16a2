#include "config/dialog/intro_page.h"

#include "config/dialog/hyperlink_label.h"
#include "config/dialog/shell_open.h"
#include "config/dialog_controls.h"
#include "scene/resources.h"
#include "settings/settings.h"
#include "skyloom_build_date.h"
#include "skyloom_site.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <vector>

namespace skyloom {

namespace {

const IntroPageControls& kControls = kIntroPageControls;

QString HomePage() { return QStringLiteral(SKYLOOM_HOMEPAGE_URL); }
QString EmailAddress() { return QStringLiteral(SKYLOOM_CONTACT_EMAIL); }

// The address as people write it: no scheme, no closing slash.
QString WebCaption() {
    QString caption = HomePage();
    for (const char* scheme : {"https://", "http://"}) {
        if (caption.startsWith(QLatin1String(scheme))) {
            caption.remove(0, static_cast<int>(std::strlen(scheme)));
        }
    }
    while (caption.endsWith(QLatin1Char('/'))) {
        caption.chop(1);
    }
    return caption;
}

QLabel* RightAligned(QWidget* parent, const TextControl& control) {
    auto* label = new QLabel(parent);
    label->setObjectName(ObjectName(control.control));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

IntroPage::IntroPage(QWidget* parent)
    : ConfigurePage(kIndex, parent),
      banner_(new QLabel(this)),
      version_(new QLabel(this)),
      visit_(new QPushButton(this)),
      emailLabel_(RightAligned(this, kControls.emailLabel)),
      emailLink_(new HyperlinkLabel(EmailAddress(), this)),
      webLabel_(RightAligned(this, kControls.webLabel)),
      webLink_(new HyperlinkLabel(WebCaption(), this)),
      languageLabel_(RightAligned(this, kControls.languageLabel)),
      languages_(new QComboBox(this)),
      translationsLink_(new HyperlinkLabel(QStringLiteral("?"), this)),
      translator_(new QLabel(this)) {
    banner_->setObjectName(ObjectName(kControls.banner));
    version_->setObjectName(ObjectName(kControls.version.control));
    visit_->setObjectName(ObjectName(kControls.visit.control));
    emailLink_->setObjectName(ObjectName(kControls.emailLink));
    webLink_->setObjectName(ObjectName(kControls.webLink));
    languages_->setObjectName(ObjectName(kControls.languages));
    translationsLink_->setObjectName(ObjectName(kControls.translationsLink));
    translator_->setObjectName(ObjectName(kControls.translator.control));

    const ResourceBytes bannerBytes = FindResource("bitmap", kControls.bannerBitmap);
    QPixmap picture;
    if (bannerBytes.data != nullptr &&
        picture.loadFromData(bannerBytes.data, static_cast<uint>(bannerBytes.size))) {
        banner_->setPixmap(picture);
    }
    banner_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    banner_->setAlignment(Qt::AlignCenter);
    version_->setAlignment(Qt::AlignCenter);
    translator_->setAlignment(Qt::AlignCenter);
    translator_->setWordWrap(true);

    emailLink_->SetTarget(QStringLiteral("mailto:") + EmailAddress());
    webLink_->SetTarget(HomePage());
    connect(emailLink_, &HyperlinkLabel::clicked, this, [this] { OpenWithShell(emailLink_->Target()); });
    connect(webLink_, &HyperlinkLabel::clicked, this, [this] { OpenWithShell(webLink_->Target()); });
    connect(visit_, &QPushButton::clicked, this, [] { OpenWithShell(HomePage()); });
    connect(translationsLink_, &HyperlinkLabel::clicked, this, &IntroPage::OpenTranslationsPage);

    auto* links = new QGridLayout;
    links->addWidget(emailLabel_, 0, 0);
    links->addWidget(emailLink_, 0, 1, Qt::AlignLeft);
    links->addWidget(webLabel_, 1, 0);
    links->addWidget(webLink_, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(visit_);
    linkRow->addSpacing(12);
    linkRow->addLayout(links, 1);

    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(languageLabel_);
    languageRow->addWidget(languages_);
    languageRow->addWidget(translationsLink_);
    languageRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner_);
    layout->addWidget(version_);
    layout->addSpacing(6);
    layout->addLayout(linkRow);
    layout->addStretch(1);
    layout->addLayout(languageRow);
    layout->addWidget(translator_);

    PutTexts();
    FillLanguageList();
    // activated: the user's choices only, not the selection put here.
    connect(languages_, &QComboBox::activated, this, &IntroPage::LanguageChosen);
}

void IntroPage::PutTexts() {
    languageLabel_->setText(Text(kControls.languageLabel.key));
    translator_->setText(Text(kControls.translator.key));
    visit_->setText(Text(kControls.visit.key));
    emailLabel_->setText(Text(kControls.emailLabel.key));
    webLabel_->setText(Text(kControls.webLabel.key));
    version_->setText(QString::fromStdString(VersionLine(GetText(kControls.version.key), VersionMajor.Get(),
                                                         VersionMinor.Get(), SKYLOOM_BUILD_EPOCH)));
    emit TextsPut();
}

void IntroPage::FillLanguageList() {
    std::vector<QString> names;
    for (int index = 0; index < LanguageCount(); ++index) {
        names.push_back(QString::fromUtf8(LanguageName(index)));
    }
    // Alphabetical as people read it: case does not split the list.
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    const QString current = QString::fromUtf8(CurrentLanguage.Get());
    for (const QString& name : names) {
        languages_->addItem(name);
        if (name == current) {
            languages_->setCurrentIndex(languages_->count() - 1);
        }
    }
    languages_->addItem(QLatin1String(kLabelsEntry));
    if (current.isEmpty()) {
        languages_->setCurrentIndex(languages_->count() - 1);
    } else if (languages_->currentText() != current) {
        languages_->setCurrentIndex(-1);
    }
}

void IntroPage::LanguageChosen(int index) {
    if (index < 0) {
        return;
    }
    // Everything before the last entry is a language file's name.
    const std::string language = index >= LanguageCount() ? std::string() : languages_->itemText(index).toStdString();
    CurrentLanguage.Set(language);
    ReloadTexts();
    PutTexts();
}

void IntroPage::OpenTranslationsPage() { OpenDataPage("sk_translations.htm"); }

}  // namespace skyloom
