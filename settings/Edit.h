#pragma once
// The edit field of the settings windows. Its texts are code page 1252 in the
// program and converted here, at the widget. MaxLength limits what the user
// types, not what the program writes: a stored value longer than the field
// (a tariff of 150 in a two-digit field) is shown whole, never cut.
#include <string>
#include <string_view>

#include <QLineEdit>

class TEdit : public QLineEdit {
public:
  explicit TEdit(QWidget* parent, int maxLength = 0);

  int MaxLength() const { return maxLength_; }  // 0: no limit
  void SetMaxLength(int maxLength);

  // Read-only display field with red text.
  void MakeDisplay();

  std::string Cp1252Text() const;
  void SetCp1252Text(std::string_view text);

private:
  int maxLength_ = 0;
};
