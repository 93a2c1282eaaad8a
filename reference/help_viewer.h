// Help requests and the help window that answers them. The menu items and F1 hand a request (help
// file, command, keyword) to CurrentHelp(); the real service opens the application's help window,
// a browser with back, forward, contents and a search of the page. Tests install one of their own.
#pragma once

#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <memory>

class QLineEdit;
class QPushButton;

namespace korvalin {

// Help commands a request can carry.
inline constexpr int kHelpContentsCommand = 0x0003; // the file's contents
inline constexpr int kHelpOnHelpCommand = 0x0004;   // how to use the help window
inline constexpr int kHelpKeywordCommand = 0x0101;  // the topic of a keyword

struct HelpRequest {
    QString helpFile;
    int command = 0;
    QString key;
};

class HelpService {
public:
    virtual ~HelpService() = default;
    // Hands the request over and returns at once.
    virtual void Request(const HelpRequest& request) = 0;
};

// Opens the help window.
class ViewerHelp : public HelpService {
public:
    void Request(const HelpRequest& request) override;
};

HelpService& CurrentHelp();
void SetHelp(std::shared_ptr<HelpService> help); // nullptr restores the help window

// The browser of the help window; pages of its own come from "korvalin-help:" addresses.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;
    QString missingFile; // the name shown on the "not found" page
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow();

    // Opens `helpFile` at the topic named `keyword` (the top when empty). A name without a folder
    // is looked for next to the program. When there is no such file, says so.
    void ShowTopic(const QString& helpFile, const QString& keyword);
    void ShowUsingHelp();
    void ShowContents();
    // Finds the next place the search text occurs, wrapping to the top; false when it is nowhere.
    bool FindInPage();

    // The file being shown (empty for the window's own pages).
    QString currentFile() const { return file_; }

    HelpBrowser* Browser = nullptr;
    QPushButton* Back = nullptr;
    QPushButton* Forward = nullptr;
    QPushButton* Contents = nullptr;
    QLineEdit* Search = nullptr;
    QPushButton* FindNext = nullptr;

private:
    QString file_;
};

// The addresses of the window's own pages.
QUrl UsingHelpPage();
QUrl MissingHelpPage();

} // namespace korvalin
