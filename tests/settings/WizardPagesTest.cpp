#include "SettingsTestSupport.h"

namespace {

class WizardPagesTest : public SettingsTest {
protected:
  // The panels that are not hidden.
  static std::vector<QFrame*> ShownPages() {
    std::vector<QFrame*> shown;
    for (int step = 0; step < TForm13::Pages; ++step)
      if (!Form13->PageOf(step)->isHidden()) shown.push_back(Form13->PageOf(step));
    return shown;
  }
  static bool Shown(const QWidget* w) { return !w->isHidden(); }
};

TEST_F(WizardPagesTest, WeiterWalksTheFourteenPagesAndStartsAgain) {
  TForm13& w = *Form13;
  QFrame* const order[] = {w.Panel12, w.Panel1, w.Panel2, w.Panel5,  w.Panel11, w.Panel4,  w.Panel3,
                           w.Panel7,  w.Panel8, w.Panel9, w.Panel10, w.Panel6,  w.Panel13, w.Panel14};
  w.ShowStep();
  for (int i = 0; i <= 14; ++i) {
    EXPECT_EQ(WizardStep, i % 14);
    EXPECT_EQ(ShownPages(), std::vector<QFrame*>{order[i % 14]}) << "step " << i;
    w.SpeedButton1->click();
  }
  EXPECT_EQ(w.Panel14->height(), 177);
  EXPECT_EQ(w.Panel1->size(), QSize(257, 161));
  EXPECT_EQ(w.Panel14->pos(), w.Panel1->pos());
  EXPECT_EQ(w.size(), QSize(791, 493));
  EXPECT_GT(w.SpeedButton1->y(), w.Panel14->y() + w.Panel14->height());
}

// Every control of a page lies inside the panel, clear of its border, and no
// two controls of the last page cover each other.
TEST_F(WizardPagesTest, ControlsFitInsideTheirPanel) {
  constexpr int Clearance = 2;
  for (int step = 0; step < TForm13::Pages; ++step) {
    const QFrame* page = Form13->PageOf(step);
    const QRect inside = page->contentsRect().adjusted(Clearance, Clearance, -Clearance, -Clearance);
    for (const QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(inside.contains(control->geometry()))
          << "page " << step << ": " << control->metaObject()->className() << " at " << control->y() << ".."
          << control->geometry().bottom();
  }
  const auto controls = Form13->Panel14->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(controls.size(), 8);
  for (int i = 0; i < controls.size(); ++i)
    for (int j = i + 1; j < controls.size(); ++j)
      EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << " and " << j;
}

TEST_F(WizardPagesTest, StepsOutsideTheCycleShowTheFirstPage) {
  for (int step : {14, 99, -1}) {
    WizardStep = step;
    Form13->ShowStep();
    EXPECT_EQ(WizardStep, 0);
    EXPECT_EQ(ShownPages(), std::vector<QFrame*>{Form13->Panel12});
  }
}

TEST_F(WizardPagesTest, FirstTwoPagesRefillFromTheStoreOthersKeepTheTypedText) {
  Block3[37] = 12;
  Block3[38] = 304;
  Type(Form13->Edit1, "7");
  Type(Form13->Edit2, "99");
  WizardStep = 2;
  Form13->ShowStep();
  EXPECT_EQ(Text(Form13->Edit1), "7");
  EXPECT_EQ(Text(Form13->Edit2), "99");
  WizardStep = 1;
  Form13->ShowStep();
  EXPECT_EQ(Text(Form13->Edit1), "12");
  EXPECT_EQ(Text(Form13->Edit2), "30.4");
  WizardStep = 13;
  Type(Form13->Edit1, "7");
  Form13->SpeedButton1Click();  // page 13 to page 0 fills again
  EXPECT_EQ(Text(Form13->Edit1), "12");
}

TEST_F(WizardPagesTest, ShowingAPageHidesItsInputError) {
  WizardStep = 1;
  Form13->ShowStep();
  Type(Form13->Edit1, "4a");
  Form13->SpeedButton3Click();
  ASSERT_TRUE(Shown(Form13->InputErrorOf(1)));
  Form13->ShowStep();
  EXPECT_FALSE(Shown(Form13->InputErrorOf(1)));
}

TEST_F(WizardPagesTest, FactoryResetAsksFirstAndAbbruchMarksNothing) {
  TForm13& w = *Form13;
  w.ShowStep();
  EXPECT_FALSE(Shown(w.WarningLabel));
  EXPECT_FALSE(Shown(w.SpeedButton15));
  EXPECT_FALSE(Shown(w.SpeedButton16));
  w.SpeedButton14->click();
  EXPECT_TRUE(Shown(w.WarningLabel));
  EXPECT_TRUE(Shown(w.SpeedButton15));
  EXPECT_TRUE(Shown(w.SpeedButton16));
  EXPECT_FALSE(Shown(w.SpeedButton14));
  EXPECT_EQ(w.WarningLabel->text(), QString::fromUtf8("ACHTUNG! Alle Werte werden gelöscht!"));

  w.SpeedButton16->click();
  EXPECT_FALSE(Shown(w.WarningLabel));
  EXPECT_FALSE(Shown(w.SpeedButton15));
  EXPECT_TRUE(Shown(w.SpeedButton14));
  EXPECT_TRUE(MarkedSlots().empty());

  w.SpeedButton14->click();
  w.ShowStep();  // leaving and showing the page again closes the question
  EXPECT_FALSE(Shown(w.WarningLabel));
  EXPECT_TRUE(Shown(w.SpeedButton14));

  w.SpeedButton14->click();
  w.SpeedButton15->click();
  EXPECT_FALSE(Shown(w.WarningLabel));
  EXPECT_TRUE(Shown(w.SpeedButton14));
  EXPECT_EQ(MarkedSlots(), (std::vector<int>{SlotSetDateTime, SlotStartLearningPhase, SlotSendServiceNumber}));
}

TEST_F(WizardPagesTest, TransmissionPageButtons) {
  TForm13& w = *Form13;
  auto visible = [&] {
    std::string s;
    const std::pair<QWidget*, char> items[] = {{w.SpeedButton17, 'M'}, {w.SpeedButton18, 'C'},   {w.SpeedButton21, 'Z'},
                                               {w.SpeedButton22, 'I'}, {w.DialPrefixLabel, '?'}, {w.SpeedButton19, 'J'},
                                               {w.SpeedButton20, 'N'}};
    for (const auto& [widget, letter] : items)
      if (Shown(widget)) s += letter;
    return s;
  };
  WizardStep = 12;
  w.ShowStep();
  EXPECT_EQ(visible(), "MC");

  w.SpeedButton18->click();  // COM-Server at once: mode 0, no modem question
  EXPECT_EQ(ConnectionModeSetting, 0);
  EXPECT_EQ(MarkedSlots(), std::vector<int>{SlotSetConnectionMode});
  EXPECT_EQ(visible(), "MC");
  PendingCommands[SlotSetConnectionMode] = 0;

  w.SpeedButton17->click();
  EXPECT_EQ(visible(), "MZI");
  EXPECT_TRUE(MarkedSlots().empty());
  w.SpeedButton22->click();  // INSYS Pocket
  EXPECT_EQ(visible(), "M?JN");
  EXPECT_EQ(ModemTypeSetting, 0);
  w.SpeedButton20->click();  // Nein
  EXPECT_EQ(visible(), "MC");
  EXPECT_EQ(PendingCommands[SlotDialPrefixValue], 0);
  EXPECT_EQ(ConnectionModeSetting, 1);
  EXPECT_EQ(MarkedSlots(), (std::vector<int>{SlotSetConnectionMode, SlotSetModemType, SlotSetDialPrefix}));

  w.SpeedButton17->click();
  w.ShowStep();  // the page starts over
  EXPECT_EQ(visible(), "MC");
  w.SpeedButton17->click();
  w.SpeedButton21->click();  // ZentrixModem
  EXPECT_EQ(ModemTypeSetting, 1);
  w.SpeedButton19->click();  // Ja
  EXPECT_EQ(PendingCommands[SlotDialPrefixValue], 1);
  EXPECT_EQ(visible(), "MC");
}

TEST_F(WizardPagesTest, InternetPageShowsTheControllersIdentification) {
  Block2[60] = 4;
  Block2[62] = 12;
  Block2[63] = 7;
  Block3[31] = 3;
  Block3[18] = 9;
  Block3[19] = 5;
  Block3[25] = 28;
  Block3[26] = 2;
  WizardStep = 13;
  Form13->ShowStep();
  EXPECT_EQ(Text(Form13->Edit10), "041207");
  EXPECT_EQ(Text(Form13->Edit13), "V 3.0");
  EXPECT_EQ(Text(Form13->Edit12), "Internet");
  EXPECT_EQ(Text(Form13->Edit11), "09:05  28.02");
  Block2[90] = 1;
  Form13->ShowStep();
  EXPECT_EQ(Text(Form13->Edit12), "Modem");
}

}  // namespace
