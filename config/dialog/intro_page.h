#pragma once

#include "config/dialog/configure_page.h"
#include "config/version_line.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace skyloom {

class HyperlinkLabel;

// The first page: banner, version line, the maker's links, the language
// choice and the translator's credit. A language chosen here shows on this
// page and in the tab titles at once, on the other pages when they are next
// activated.
class IntroPage : public ConfigurePage {
    Q_OBJECT

public:
    static constexpr int kIndex = 0;

    explicit IntroPage(QWidget* parent = nullptr);

    void PutTexts() override;

signals:
    // The texts have been put again; the tab titles follow.
    void TextsPut();

private:
    void FillLanguageList();
    void LanguageChosen(int index);
    void OpenTranslationsPage();

    QLabel* banner_;
    QLabel* version_;
    QPushButton* visit_;
    QLabel* emailLabel_;
    HyperlinkLabel* emailLink_;
    QLabel* webLabel_;
    HyperlinkLabel* webLink_;
    QLabel* languageLabel_;
    QComboBox* languages_;
    HyperlinkLabel* translationsLink_;
    QLabel* translator_;
};

}  // namespace skyloom
