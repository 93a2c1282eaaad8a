// The main window's Info and Help menus: the reference windows, the about box and help.
#include "main_window/form1.h"

#include "app/korvalin1.h"
#include "app/prompts.h"
#include "app/window_handover.h"
#include "app/window_registry.h"
#include "reference/about_box.h"
#include "reference/chart_windows.h"
#include "reference/explainers.h"
#include "reference/help_search.h"
#include "reference/help_viewer.h"

#include <QCoreApplication>

namespace korvalin {

void Form1::Top5Menu_Click() { ShowInsteadOfMain(Window<Form7>()); }
void Form1::TransMenu_Click() { ShowInsteadOfMain(Window<Form9>()); }
void Form1::Scale_Wheel_Click() { ShowInsteadOfMain(Window<Form8>()); }
void Form1::Menu_Altissimo_Click() { ShowInsteadOfMain(Window<Form13>()); }
void Form1::Menu_Print_Click() { ShowInsteadOfMain(Window<Form4>()); }

void Form1::Menu_Mouthpiece_Click() {
    Form5& w = Window<Form5>();
    w.Image2_Click(); // the assembled view with its first part shown
    ShowInsteadOfMain(w);
}

void Form1::Mnu_Reed_Click() {
    Form10& w = Window<Form10>();
    w.Image2_Click(); // the top view with its first part shown
    ShowInsteadOfMain(w);
}

void Form1::MAbout_Click() {
    // The box shows for two seconds and goes by itself; the main window stays as it is.
    AboutBox1& about = Window<AboutBox1>();
    about.show();
    about.raise();
    about.Timer1->start();
}

void Form1::Help_Contents_Click() {
    CurrentHelp().Request({QString::fromStdString(KORVALIN1.HelpFilePath), kHelpKeywordCommand, "Contents"});
}

void Form1::HelpHelp_Click() { CurrentHelp().Request({QString(), kHelpOnHelpCommand, QString()}); }

void Form1::HelpKey() {
    // F1: the application-wide help file at its contents.
    CurrentHelp().Request({QString::fromStdString(ApplicationHelpFile()), kHelpKeywordCommand, "Contents"});
}

void Form1::LoadFindHelp() {
    if (FindHelpFile(QCoreApplication::applicationDirPath().toStdString())) return;
    CurrentPrompts().Message(this, "Korvalin help not available",
                             "KORVALIN.HLP not found in your path.\r\n\r\n"
                             "Korvalin searches its own folder and your PATH for help files, "
                             "so you need to copy KORVALIN.HLP to a directory included in your "
                             "PATH if you wish to obtain help while running Korvalin.",
                             QMessageBox::Warning);
}

} // namespace korvalin
