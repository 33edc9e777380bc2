#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QFileDialog>
#include <QFrame>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <map>

#include "ShellTestSupport.h"
#include "link/Polling.h"
#include "serial/VaComm.h"
#include "settings/TForm13.h"
#include "settings/TForm7.h"
#include "shell/ExceptionDisplay.h"
#include "shell/Navigation.h"
#include "shell/QtGermanTexts.h"
#include "shell/SingleInstance.h"
#include "shell/TForm10.h"
#include "shell/TForm11.h"
#include "shell/TForm8.h"
#include "shell/TStart.h"
#include "store/PlantStore.h"
#include "views/FilePaths.h"
#include "views/InterfaceFont.h"
#include "views/TFileDialog.h"
#include "views/archive/TForm14.h"
#include "views/history/ChartForms.h"
#include "views/live/TForm4.h"
#include "views/live/TForm6.h"
#include "views/live/TForm9.h"

namespace {

// Records the order in which watched windows are hidden.
class HideRecorder : public QObject {
public:
  explicit HideRecorder(const std::vector<std::pair<QWidget*, std::string>>& windows) : windows_(windows) {
    for (auto& [w, name] : windows_) w->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide)
      for (auto& [w, name] : windows_)
        if (w == watched) order.push_back(name);
    return false;
  }
  std::vector<std::string> order;

private:
  std::vector<std::pair<QWidget*, std::string>> windows_;
};

#ifndef _WIN32
bool MenusVisible() {
  const QMenu* menus[] = {Start->FileMenu, Start->Ansicht1, Start->Optionen1, Start->Hilfe1};
  return std::all_of(std::begin(menus), std::end(menus), [](const QMenu* m) { return m->menuAction()->isVisible(); });
}
#endif

bool AnyMenuVisible() {
  const QMenu* menus[] = {Start->FileMenu, Start->Ansicht1, Start->Optionen1, Start->Hilfe1};
  return std::any_of(std::begin(menus), std::end(menus), [](const QMenu* m) { return m->menuAction()->isVisible(); });
}

std::vector<QWidget*> ViewWindows() {
  return {Form1, Form3, Form4, Form5, Form6, Form7, Form9, Form10, Form11, Form12, Form13};
}

using WindowsTest = ShellTest;

TEST(CentreOverArithmetic, HalvesTruncateTowardZero) {
  WindowPosition p = CentredPosition(100, 50, 792, 620, 792, 432);
  EXPECT_EQ(p.Left, 100);
  EXPECT_EQ(p.Top, 50 + 94);
  p = CentredPosition(0, 0, 101, 101, 50, 50);  // 51 / 2 = 25
  EXPECT_EQ(p.Left, 25);
  // A window larger than the main window: negative halves round toward zero.
  p = CentredPosition(10, 20, 100, 100, 301, 201);
  EXPECT_EQ(p.Left, 10 - 100);
  EXPECT_EQ(p.Top, 20 - 50);
}

TEST_F(WindowsTest, StartsWithThePortPanelOnly) {
  EXPECT_FALSE(AnyMenuVisible());
  EXPECT_FALSE(Start->Panel1->isHidden());
  EXPECT_TRUE(Start->Edit1->text().isEmpty());
  EXPECT_FALSE(Start->Timer2->isActive());
  EXPECT_EQ(Start->Timer2->interval(), 1000);
  EXPECT_EQ(Start->windowTitle(), QStringLiteral("PCZentrixNet "));
  EXPECT_EQ(Start->centralWidget()->size(), QSize(792, 574));
  for (int port = 1; port <= 11; ++port) {
    EXPECT_EQ(Start->SpeedButtons[port]->text(), QStringLiteral("COM %1").arg(port));
    EXPECT_EQ(Start->SpeedButtons[port]->geometry(), QRect(24 + 64 * (port - 1), 64, 57, 22));
  }
  EXPECT_FALSE(Start->VaComm1->Active());
  // Window sizes of the creation table.
  EXPECT_EQ(Form1->size(), QSize(792, 432));
  EXPECT_EQ(Form12->size(), QSize(753, 321));
  EXPECT_EQ(Form8->size(), QSize(655, 435));
  EXPECT_EQ(Form10->size(), QSize(792, 432));
  EXPECT_EQ(Form11->size(), QSize(321, 168));
  EXPECT_EQ(Form11->windowTitle(), QStringLiteral("PCZentrixNet.exe"));
  // Timer3 hides every other window shortly after start, then stops.
  Form1->show();
  Form12->show();
  PumpEvents(60);
  EXPECT_FALSE(Form1->isVisible());
  EXPECT_FALSE(Form12->isVisible());
  EXPECT_FALSE(Start->Timer3->isActive());
}

TEST_F(WindowsTest, HideAllViewsOrderLeavesForm8Alone) {
  std::vector<std::pair<QWidget*, std::string>> watched = {{Form1, "Form1"},   {Form3, "Form3"},   {Form4, "Form4"},
                                                           {Form5, "Form5"},   {Form6, "Form6"},   {Form7, "Form7"},
                                                           {Form9, "Form9"},   {Form10, "Form10"}, {Form11, "Form11"},
                                                           {Form12, "Form12"}, {Form13, "Form13"}, {Form8, "Form8"}};
  for (auto& [w, name] : watched) w->show();
  HideRecorder recorder(watched);
  HideAllViews();
  EXPECT_EQ(recorder.order, (std::vector<std::string>{"Form1", "Form3", "Form4", "Form5", "Form6", "Form7", "Form9",
                                                      "Form10", "Form11", "Form12", "Form13"}));
  EXPECT_TRUE(Form8->isVisible());
}

// A refresh and the menu items that hide every view first leave the view they
// bring up as it is: hidden and shown again at once, it is unmapped and mapped
// by the window system, which once left it unmapped under wine.
TEST_F(WindowsTest, TheViewBroughtUpAgainIsNeverHidden) {
  std::vector<std::pair<QWidget*, std::string>> watched = {
      {Form1, "Form1"}, {Form3, "Form3"}, {Form4, "Form4"}, {Form12, "Form12"}, {Form13, "Form13"}};
  const auto showAll = [&] {
    for (auto& [w, name] : watched) w->show();
  };
  showAll();
  HideRecorder refresh(watched);
  TickActions tick;
  tick.Refresh = true;
  tick.RedrawView = 2;
  tick.HideAllFirst = true;
  Start->ApplyTick(tick);
  EXPECT_EQ(refresh.order, (std::vector<std::string>{"Form1", "Form3", "Form4", "Form13"}));
  EXPECT_TRUE(Form12->isVisible());

  const struct {
    void (TStart::*click)();
    QWidget* shown;
    std::vector<std::string> hidden;
  } clicks[] = {{&TStart::Bild11Click, Form1, {"Form3", "Form4", "Form12", "Form13"}},
                {&TStart::Bild31Click, Form3, {"Form1", "Form4", "Form12", "Form13"}}};
  for (const auto& c : clicks) {
    showAll();
    HideRecorder menu(watched);
    (Start->*c.click)();
    EXPECT_EQ(menu.order, c.hidden);
    EXPECT_TRUE(c.shown->isVisible());
  }
}

TEST_F(WindowsTest, MenuHandlersShowTheirViews) {
  Start->Bild11Click();
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_EQ(ShowRequest, 1);
  Start->Bild21Click();  // the monthly chart opens over the daily chart
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_TRUE(Form12->isVisible());
  EXPECT_EQ(ShowRequest, 2);
  Start->Bild31Click();  // the yearly chart hides all others first
  EXPECT_TRUE(Form3->isVisible());
  EXPECT_FALSE(Form1->isVisible());
  EXPECT_FALSE(Form12->isVisible());
  EXPECT_EQ(ShowRequest, 3);
  Start->Bild41Click();
  EXPECT_TRUE(Form4->isVisible());
  EXPECT_TRUE(Form3->isVisible());
  EXPECT_EQ(ShowRequest, 4);
  Start->Bild51Click();
  EXPECT_EQ(ShowRequest, 5);
  EXPECT_TRUE(Form5->isVisible());
  Start->Tagesenergiebilanz1Click();
  EXPECT_EQ(ShowRequest, 6);
  EXPECT_TRUE(Form9->isVisible());
  Start->Bild61Click();
  EXPECT_EQ(ShowRequest, 7);
  EXPECT_TRUE(Form6->isVisible());
  const QRect main = Start->frameGeometry();
  EXPECT_EQ(Form6->frameGeometry().top(), main.top() + (main.height() - Form6->frameGeometry().height()) / 2 + 20);
  WizardStep = 5;
  Start->Bild71Click();
  EXPECT_EQ(ShowRequest, 8);
  EXPECT_EQ(WizardStep, 0);
  EXPECT_TRUE(Form13->isVisible());
  EXPECT_EQ(Form13->frameGeometry().top(), main.top() + (main.height() - Form13->frameGeometry().height()) / 2 + 25);
  EXPECT_EQ(Form13->frameGeometry().left(), main.left() + (main.width() - Form13->frameGeometry().width()) / 2);
  Start->Info1Click();
  EXPECT_TRUE(Form11->isVisible());
  EXPECT_FALSE(Form10->isVisible());
  EXPECT_FALSE(Form8->isVisible());
  EXPECT_FALSE(Form7->isVisible());

  // A click on the main window's free area hides every view.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 400), Start->mapToGlobal(QPointF(5, 400)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Start, &press);
  for (QWidget* w : ViewWindows()) EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(ShowRequest, 8);  // the choice stays for the next refresh
}

#ifndef _WIN32
// The ports are pseudo-terminals linked into the ports folder: Linux only.
TEST_F(WindowsTest, ChoosingAPortOpensTheRestOfTheProgram) {
  LinkedPty pty(PortsDir(), 3);
  Start->SpeedButtons[3]->click();
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
  EXPECT_TRUE(Start->VaComm1->Active());
  EXPECT_EQ(Start->VaComm1->PortNum(), 3);
  EXPECT_EQ(Start->Edit2->text(), QStringLiteral("COM 3"));
  EXPECT_TRUE(Start->Timer2->isActive());
  EXPECT_TRUE(Start->Panel1->isHidden());
  EXPECT_TRUE(MenusVisible());
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_EQ(ShowRequest, 1);

  // The short form (menu item COM 1 .. COM 4) only switches the port.
  LinkedPty second(PortsDir(), 4);
  Start->Bild21Click();
  Form1->hide();
  Start->ComItems[4]->trigger();
  EXPECT_EQ(Start->VaComm1->PortNum(), 4);
  EXPECT_TRUE(Start->VaComm1->Active());
  EXPECT_EQ(Start->Edit2->text(), QStringLiteral("COM 4"));
  EXPECT_FALSE(Form1->isVisible());
  EXPECT_EQ(ShowRequest, 2);
  // Menu items COM 5 .. COM 11 bring the daily chart to the front, like the buttons.
  LinkedPty third(PortsDir(), 9);
  Start->ComItems[9]->trigger();
  EXPECT_EQ(Start->VaComm1->PortNum(), 9);
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_EQ(ShowRequest, 1);
  // Choosing the port that is open closes and reopens it.
  Start->ComItems[9]->trigger();
  EXPECT_TRUE(Start->VaComm1->Active());
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
}

TEST_F(WindowsTest, PortButtonsAndItemsNameTheDeviceTheyOpen) {
  LinkedPty pty(PortsDir(), 3);
  const QString dangling = QDir(PortsDir()).filePath(QStringLiteral("COM7"));
  QFile::remove(dangling);
  QFile::link(QStringLiteral("/nonexistent/ttyGone"), dangling);
  // Made fresh when a tooltip is about to show, as the menu opens.
  QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
  QApplication::sendEvent(Start->SpeedButtons[3], &help);
  EXPECT_EQ(Start->SpeedButtons[3]->toolTip(),
            QString::fromStdString("COM 3 \u2192 " + pty.SlavePath() + " (vorhanden)"));
  EXPECT_EQ(Start->ComItems[3]->toolTip(), Start->SpeedButtons[3]->toolTip());
  EXPECT_EQ(Start->ComItems[7]->toolTip(), QStringLiteral("COM 7 \u2192 /nonexistent/ttyGone (nicht vorhanden)"));
  EXPECT_TRUE(Start->Optionen1->toolTipsVisible());
  QFile::remove(dangling);
}

TEST_F(WindowsTest, APortThatCannotBeOpenedLeavesThePanel) {
  const QString link = QDir(PortsDir()).filePath(QStringLiteral("COM7"));
  QFile::remove(link);
  QFile::link(QStringLiteral("/nonexistent/ttyGone"), link);
  const int before = ExceptionCount();
  Start->SpeedButtons[7]->click();
  EXPECT_EQ(ExceptionCount(), before + 1);
  // The component's text first; below it, the devices that exist (none here)
  // or how to point COM 7 at one.
  const std::string message = LastExceptionMessage();
  EXPECT_EQ(message.substr(0, message.find('\n')), "Specified device not found (" + link.toStdString() + ").");
  EXPECT_NE(message.find("\n\n"), std::string::npos) << message;
  EXPECT_NE(message.find("serielle"), std::string::npos) << message;
  EXPECT_FALSE(Start->VaComm1->Active());
  EXPECT_FALSE(Start->Panel1->isHidden());
  EXPECT_FALSE(AnyMenuVisible());
  EXPECT_FALSE(Start->Timer2->isActive());
  EXPECT_EQ(Start->Edit2->text(), QStringLiteral("COM 7"));
  QFile::remove(link);
}

TEST_F(WindowsTest, EndingClosesThePortFirst) {
  LinkedPty pty(PortsDir(), 2);
  Start->SpeedButtons[2]->click();
  ASSERT_TRUE(Start->VaComm1->Active());
  bool portClosedBeforeWindow = false;
  Start->VaComm1->OnClose = [&](TVaCustomComm*) { portClosedBeforeWindow = Start->isVisible(); };
  Start->show();
  Start->Beenden1Click();
  EXPECT_FALSE(Start->VaComm1->Active());
  EXPECT_TRUE(portClosedBeforeWindow);
  EXPECT_FALSE(Start->isVisible());
}

#endif

TEST_F(WindowsTest, OpeningAFileProposesItsNameForTheNextSave) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("anlage.sol"));
  Block3[37] = 12;
  Start->SaveFile(PathFromText(path));
  Block3[37] = 0;
  Start->OpenChosenFile(path);
  EXPECT_EQ(Block3[37], 12);
  EXPECT_EQ(Start->ProposedSaveName, path);
}

// The error box shows a German text as it was raised: the display reads the
// exception's UTF-8 text as UTF-8, whatever the system's local code page is.
TEST_F(WindowsTest, ErrorBoxShowsUmlautsAsRaised) {
  SetExceptionBoxesEnabled(true);
  Start->show();
  ShowException(Exception("Die Anlagendatei \"Müller.sol\" ist unvollständig; Łódź"));
  SetExceptionBoxesEnabled(false);
  QMessageBox* box = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QStringLiteral("ExceptionBox")) box = qobject_cast<QMessageBox*>(w);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), QStringLiteral("Die Anlagendatei \"Müller.sol\" ist unvollständig; Łódź"));
  box->close();
  PumpEvents(1);
}

// A chosen name reaches the file code with every character (umlauts, a
// letter outside the local code page) and comes back with native separators.
TEST_F(WindowsTest, ChosenNamesKeepEveryCharacter) {
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("Büro Łódź"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = QDir(folder).filePath(QStringLiteral("Anlage Müller.sol"));
  Block3[37] = 21;
  Start->SaveFile(PathFromText(path));
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Anlage Müller.sol")});
  Block3[37] = 0;
  Start->OpenChosenFile(path);
  EXPECT_EQ(Block3[37], 21);
  EXPECT_EQ(PathText(PathFromText(path)), QDir::toNativeSeparators(path));
}

// Qt's own dialog texts in German beside the program's; the dialogs start in
// the user's documents folder, never in the program's.
TEST_F(WindowsTest, FileDialogsSpeakGermanAndStartInTheDocuments) {
#ifdef __SANITIZE_THREAD__
  // Qt's file dialog reads the folder on a thread of its own, synchronised
  // inside Qt where ThreadSanitizer cannot see it (Qt is not instrumented).
  GTEST_SKIP() << "Qt's file dialog thread is not instrumented";
#endif
  ASSERT_TRUE(LoadQtGermanTexts({QStringLiteral(PCZN_QT_TRANSLATIONS)}));
  TFileDialog save(nullptr, QFileDialog::AcceptSave);
  EXPECT_EQ(save.windowTitle(), QStringLiteral("Speichern unter"));
  EXPECT_EQ(save.labelText(QFileDialog::LookIn), QStringLiteral("Suchen in:"));
  // The documents folder (always there on Windows), or the home folder where there is none.
  const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  const QString start = QDir(save.directory()).canonicalPath();
  if (documents.exists()) EXPECT_EQ(start, documents.canonicalPath());
  else EXPECT_EQ(start, QDir::home().canonicalPath());
  EXPECT_NE(start, QDir(QCoreApplication::applicationDirPath()).canonicalPath());
}

// The dark pixels of a text drawn black on white in a font.
int InkOf(const QString& text, const QFont& font) {
  QImage image(64, 32, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(4, 24, text);
  painter.end();
  int ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 128;
  return ink;
}

// Every letter of the interface font is drawn, at the small sizes the windows
// use: the capital I of "Info" and "Inbetriebnahme" went missing on Windows,
// where the raster "MS Sans Serif" is no font Qt draws with.
TEST_F(WindowsTest, TheInterfaceFontDrawsEveryLetter) {
  for (QFont font : {Start->font(), QFont(FontFamily(QStringLiteral("MS Sans Serif"))), QApplication::font(),
                     QApplication::font("QMenu")}) {
    for (int points : {8, 9}) {
      font.setPointSize(points);
      SCOPED_TRACE(QFontInfo(font).family().toStdString() + " " + std::to_string(points));
      EXPECT_GT(InkOf(QStringLiteral("I"), font), 4);
      EXPECT_GT(InkOf(QStringLiteral("Info"), font), InkOf(QStringLiteral("nfo"), font));
    }
  }
#ifdef _WIN32
  EXPECT_EQ(QFontInfo(Start->font()).family(), QStringLiteral("Microsoft Sans Serif"));
#endif
}

#ifdef _WIN32
// The blank columns between the arrow a tool button draws at its right and
// the text before it (-1 when the rightmost ink is wider than an arrow, i.e.
// arrow and text run into each other).
constexpr int MaxArrowWidth = 8;
int BlankColumnsBeforeArrow(QToolButton& button) {
  // Drawn with the heading behind it, as the calendar shows it.
  const QImage image = button.parentWidget()->grab(button.geometry()).toImage();
  std::map<QRgb, int> counts;  // the background is the most frequent colour
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
  const QRgb background =
      std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  const auto inked = [&](int x) {
    for (int y = 0; y < image.height(); ++y) {
      const QRgb p = image.pixel(x, y);
      if (std::abs(qGray(p) - qGray(background)) > 80) return true;
    }
    return false;
  };
  int x = image.width() - 3;
  while (x > 0 && !inked(x)) --x;  // the frame's edge, then space
  const int arrowRight = x;
  while (x > 0 && inked(x)) --x;
  if (arrowRight - x > MaxArrowWidth) return -1;
  int blank = 0;
  for (; x > 0 && !inked(x); --x) ++blank;
  return blank;
}

// Windows' style draws a tool button's menu arrow in its corner: each month's
// name in the archive view's calendar stands apart from it ("Dezember" was
// overlapped by it).
TEST_F(WindowsTest, EveryMonthsNameStandsApartFromItsArrow) {
  TForm14 view(nullptr);
  view.show();
  QCalendarWidget& calendar = *view.MonthCalendar1;
  calendar.setEnabled(true);
  auto* month = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
  ASSERT_NE(month, nullptr);
  for (int m = 1; m <= 12; ++m) {
    calendar.setCurrentPage(2026, m);
    QApplication::processEvents();
    SCOPED_TRACE(month->text().toStdString());
    EXPECT_GE(BlankColumnsBeforeArrow(*month), 3);
  }
}
#endif

// A second program on the same desktop finds the first one's lock; another
// desktop's program does not; once the first has ended, the next one is first.
TEST(InstanceLockTest, TheSecondProgramOfADesktopIsTold) {
  QTemporaryDir folder;
  auto first = std::make_unique<InstanceLock>(folder.path(), QStringLiteral(":1"));
  EXPECT_TRUE(first->First());
  EXPECT_FALSE(InstanceLock(folder.path(), QStringLiteral(":1")).First());
  EXPECT_TRUE(InstanceLock(folder.path(), QStringLiteral(":2")).First());
  EXPECT_TRUE(InstanceLock(folder.path(), QString()).First()) << "no desktop, nothing to share";
  first.reset();
  EXPECT_TRUE(InstanceLock(folder.path(), QStringLiteral(":1")).First());
}

// The second program asks, and "Nein" (ending it) is the default answer.
TEST(InstanceLockTest, TheQuestionDefaultsToNotStarting) {
  const auto box = SecondStartQuestion();
  EXPECT_TRUE(box->text().startsWith(QStringLiteral("PCZentrixNet läuft schon.")));
  EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
}

// A Windows path has no place a label may wrap it: the archive view's label
// (264 pixels wide) breaks it after its separators instead of cutting it off.
TEST(PathLabelTest, ALongWindowsPathWrapsAtItsSeparators) {
  const QString path =
      QStringLiteral("C:\\Users\\Mustermann\\AppData\\Local\\PCZentrixNet\\Anlage-0123456789-Dachflaeche.sqlite");
  QLabel label;
  label.setWordWrap(true);
  label.setText(path);
  ASSERT_GT(label.minimumSizeHint().width(), 264) << "the path alone cannot be wrapped";
  label.setText(WrapAtSeparators(path));
  EXPECT_LE(label.minimumSizeHint().width(), 264);
  EXPECT_EQ(label.text().remove(QChar(0x200B)), path);
}

TEST_F(WindowsTest, FileDialogsOfferPlantFiles) {
#if defined(__SANITIZE_THREAD__)
  // A file dialog runs a file-info thread that Qt synchronises with futexes
  // ThreadSanitizer cannot see; its reports there are about Qt, not us.
  GTEST_SKIP() << "not under ThreadSanitizer";
#endif
  EXPECT_EQ(Start->SaveDialog()->defaultSuffix(), QStringLiteral("sol"));
  EXPECT_EQ(Start->OpenDialog()->nameFilters(),
            (QStringList{QStringLiteral("*.sol (*.sol)"), QStringLiteral("Alle Dateien(*.*) (*)")}));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
