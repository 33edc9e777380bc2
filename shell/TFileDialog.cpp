#include "shell/TFileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>

TFileDialog::TFileDialog(QWidget* owner, AcceptMode mode) : QFileDialog(owner) {
  setAcceptMode(mode);
  setFileMode(mode == AcceptOpen ? ExistingFile : AnyFile);
  setDefaultSuffix(QStringLiteral("sol"));
  setNameFilters({QStringLiteral("*.sol (*.sol)"), QStringLiteral("Alle Dateien(*.*) (*)")});
  setOption(DontUseNativeDialog);
}

// The completions are found when the dialog is first shown, when its own
// widgets surely exist, and bound again at every later showing.
void TFileDialog::showEvent(QShowEvent* event) {
  if (completions_.empty())
    for (QCompleter* completer : findChildren<QCompleter*>())
      if (completer->widget() != nullptr) completions_.emplace_back(completer, completer->widget());
  for (const auto& [completer, field] : completions_) completer->setWidget(field);
  QFileDialog::showEvent(event);
}

void TFileDialog::hideEvent(QHideEvent* event) {
  for (const auto& [completer, field] : completions_) {
    completer->popup()->hide();
    completer->setWidget(nullptr);
  }
  QFileDialog::hideEvent(event);
}
