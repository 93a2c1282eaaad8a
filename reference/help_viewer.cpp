#include "reference/help_viewer.h"

#include "app/korvalin1.h"
#include "app/window_registry.h"
#include "assets/main_art.h"
#include "reference/help_search.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace korvalin {
namespace {

constexpr const char* kOwnPageScheme = "korvalin-help";

std::shared_ptr<HelpService>& HelpSlot() {
    static std::shared_ptr<HelpService> help;
    return help;
}

const char* const kUsingHelpPage = R"(<html><body>
<h2>How to use Korvalin help</h2>
<p>Help opens in this window. It shows one page of the help file at a time, and you can keep it
open beside the main window while you practise.</p>
<h3>Moving around</h3>
<ul>
<li><b>Links</b>: click an underlined word to go to the topic it names.</li>
<li><b>Back</b> returns to the place you were before; <b>Forward</b> goes the other way again.</li>
<li><b>Contents</b> always brings you to the list of topics at the top of the help file.</li>
<li>Scroll with the mouse wheel, the scroll bar, or the Page Up and Page Down keys; Home and End
jump to the top and the bottom of the page.</li>
</ul>
<h3>Finding a word</h3>
<p>Type a word or a few words into the <b>Find</b> box and press Enter or the <b>Find next</b>
button. The next place they occur is selected and scrolled into view; press again for the one after
that. At the end of the page the search starts again from the top. If the words do not occur, the
box turns pink.</p>
<h3>Opening help</h3>
<ul>
<li><b>Help &gt; Help Contents</b> in the main window opens the help file at its contents.</li>
<li><b>F1</b> in the main window does the same.</li>
<li><b>Help &gt; Help Using Help</b> shows this page.</li>
</ul>
<h3>Where the help file comes from</h3>
<p>The help is the file <tt>KORVALIN.HLP</tt>. Korvalin looks for it when it starts: first in the
folder that holds the program, then in each folder of your <tt>PATH</tt>, in order. If it is in none
of them, Korvalin says so once at start-up, and this window tells you the same when you ask for
help. Copy <tt>KORVALIN.HLP</tt> next to the program to put it right.</p>
</body></html>)";

QString MissingPage(const QString& file) {
    QString html = "<html><body><h2>The help file was not found</h2>";
    html += "<p>Korvalin could not find its help file";
    if (!file.isEmpty()) html += " <tt>" + file.toHtmlEscaped() + "</tt>";
    html += ", so there is no help to show.</p>"
            "<p>Korvalin looks for <tt>KORVALIN.HLP</tt> when it starts: first in the folder that holds "
            "the program, then in each folder listed in the <tt>PATH</tt> environment variable. Copy "
            "<tt>KORVALIN.HLP</tt> into one of those folders (next to the program is simplest) and start "
            "Korvalin again.</p>"
            "<p>Press <b>Help Using Help</b> in the main window's Help menu to read how this window works.</p>"
            "</body></html>";
    return html;
}

QString Resolve(const QString& helpFile) {
    if (helpFile.isEmpty()) return {};
    QFileInfo info(helpFile);
    if (info.isRelative()) info = QFileInfo(QDir(QCoreApplication::applicationDirPath()), helpFile);
    // The file is found whatever the case of its name, as the search at start-up finds it.
    std::string found;
    const std::string folder = QFile::encodeName(info.absolutePath() + '/').toStdString();
    if (FileInFolder(folder, QFile::encodeName(info.fileName()).toStdString(), found) != FileProbe::Found) return {};
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(found))).absoluteFilePath();
}

} // namespace

QUrl UsingHelpPage() { return QUrl(QString(kOwnPageScheme) + ":using"); }
QUrl MissingHelpPage() { return QUrl(QString(kOwnPageScheme) + ":missing"); }

HelpService& CurrentHelp() {
    static ViewerHelp viewer;
    return HelpSlot() ? *HelpSlot() : static_cast<HelpService&>(viewer);
}

void SetHelp(std::shared_ptr<HelpService> help) { HelpSlot() = std::move(help); }

void ViewerHelp::Request(const HelpRequest& request) {
    HelpWindow& w = Window<HelpWindow>();
    if (request.command == kHelpOnHelpCommand) w.ShowUsingHelp();
    else w.ShowTopic(request.helpFile, request.command == kHelpKeywordCommand ? request.key : QString());
    w.show();
    w.raise();
    w.activateWindow();
}

// ---- HelpBrowser ----

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenExternalLinks(true);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() == kOwnPageScheme) {
        if (name.path() == "using") return QString::fromUtf8(kUsingHelpPage);
        return MissingPage(missingFile);
    }
    return QTextBrowser::loadResource(type, name);
}

// ---- HelpWindow ----

HelpWindow::HelpWindow() {
    setObjectName("HelpWindow");
    setWindowTitle("Korvalin Help");
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 620);

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    Back = button("Back", "Back");
    Forward = button("Forward", "Forward");
    Contents = button("Contents", "Contents");
    auto* findLabel = new QLabel("Find:", this);
    Search = new QLineEdit(this);
    Search->setObjectName("Search");
    Search->setAccessibleName("Find in this page");
    Search->setPlaceholderText("word in this page");
    Search->setClearButtonEnabled(true);
    findLabel->setBuddy(Search);
    FindNext = button("FindNext", "Find next");
    Browser = new HelpBrowser(this);
    Browser->setObjectName("Browser");

    auto* bar = new QHBoxLayout;
    bar->addWidget(Back);
    bar->addWidget(Forward);
    bar->addWidget(Contents);
    bar->addSpacing(16);
    bar->addWidget(findLabel);
    bar->addWidget(Search, 1);
    bar->addWidget(FindNext);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Browser, 1);

    Back->setEnabled(false);
    Forward->setEnabled(false);
    connect(Back, &QPushButton::clicked, Browser, &QTextBrowser::backward);
    connect(Forward, &QPushButton::clicked, Browser, &QTextBrowser::forward);
    connect(Browser, &QTextBrowser::backwardAvailable, Back, &QPushButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, Forward, &QPushButton::setEnabled);
    connect(Contents, &QPushButton::clicked, this, &HelpWindow::ShowContents);
    connect(FindNext, &QPushButton::clicked, this, &HelpWindow::FindInPage);
    connect(Search, &QLineEdit::returnPressed, this, &HelpWindow::FindInPage);
    connect(Search, &QLineEdit::textChanged, this, [this] { Search->setStyleSheet(QString()); });
}

void HelpWindow::ShowTopic(const QString& helpFile, const QString& keyword) {
    const QString resolved = Resolve(helpFile);
    if (resolved.isEmpty()) {
        file_.clear();
        Browser->missingFile = helpFile.isEmpty() ? QString(kHelpFileName) : helpFile;
        Browser->setSource(MissingHelpPage(), QTextDocument::HtmlResource);
        Browser->reload(); // the page's words depend on the name asked for
        return;
    }
    file_ = resolved;
    QUrl url = QUrl::fromLocalFile(resolved);
    if (!keyword.isEmpty()) url.setFragment(keyword);
    Browser->setSource(url, QTextDocument::HtmlResource);
}

void HelpWindow::ShowUsingHelp() { Browser->setSource(UsingHelpPage(), QTextDocument::HtmlResource); }

void HelpWindow::ShowContents() {
    // The file on show, else the one found at start-up (after a page of the window's own).
    const QString file = !file_.isEmpty() ? file_ : QString::fromStdString(KORVALIN1.HelpFilePath);
    if (file.isEmpty()) {
        // No help file was found: the window's own page about using help is where to begin.
        if (Browser->source() != MissingHelpPage()) ShowUsingHelp();
        return;
    }
    ShowTopic(file, "Contents");
}

bool HelpWindow::FindInPage() {
    const QString text = Search->text();
    if (text.isEmpty()) return false;
    bool found = Browser->find(text);
    if (!found) {
        // From the top again.
        QTextCursor start = Browser->textCursor();
        start.movePosition(QTextCursor::Start);
        Browser->setTextCursor(start);
        found = Browser->find(text);
    }
    Search->setStyleSheet(found ? QString() : QString("background: #ffd6dc;"));
    return found;
}

} // namespace korvalin
