#include "tools/desktop/WizardSteps.h"

#include <QPushButton>

#include "settings/Edit.h"
#include "settings/TForm13.h"

namespace {

QPoint CentreOf(QWidget* control, QWidget* window) { return control->mapTo(window, control->rect().center()); }

}  // namespace

bool EnterMeterCountInWizard(PlantSession& session, Desktop& desktop, int count) {
  const QString title = QStringLiteral("Einstellungen");
  TForm13 twin;  // the real window's layout
  session.ChooseMenuItem(Menu::Anlagendaten, 7);
  if (!desktop.FindWindow(title, 10000)) return false;
  const QPoint weiter = CentreOf(twin.SpeedButton1, &twin);
  if (!session.ClickIn(title, weiter.x(), weiter.y())) return false;  // to page 1
  const QPoint field = CentreOf(twin.Edit1, &twin);
  session.ClickIn(title, field.x(), field.y());
  desktop.Key(QStringLiteral("ctrl+a"));
  desktop.Type(QString::number(count));
  const QPoint ok = CentreOf(twin.SpeedButton3, &twin);
  return session.ClickIn(title, ok.x(), ok.y());
}
