#include "settings/Edit.h"

#include <QPalette>
#include <QValidator>

#include "protocol/Cp1252.h"

namespace {

// Refuses typed or pasted text longer than the limit; text set by the program
// does not pass through a validator.
class LengthLimit : public QValidator {
public:
  LengthLimit(QObject* parent, int limit) : QValidator(parent), limit_(limit) {}
  State validate(QString& input, int&) const override { return input.size() <= limit_ ? Acceptable : Invalid; }

private:
  int limit_;
};

}  // namespace

TEdit::TEdit(QWidget* parent, int maxLength) : QLineEdit(parent) { SetMaxLength(maxLength); }

void TEdit::SetMaxLength(int maxLength) {
  maxLength_ = maxLength;
  const QValidator* old = validator();
  setValidator(maxLength > 0 ? new LengthLimit(this, maxLength) : nullptr);
  delete old;
}

void TEdit::MakeDisplay() {
  setReadOnly(true);
  QPalette p = palette();
  p.setColor(QPalette::Text, Qt::red);
  setPalette(p);
}

std::string TEdit::Cp1252Text() const { return Cp1252FromUtf8(text().toStdString()); }

void TEdit::SetCp1252Text(std::string_view text) { setText(QString::fromStdString(Utf8FromCp1252(text))); }
