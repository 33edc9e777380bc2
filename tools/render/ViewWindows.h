#pragma once
// The seven views with the windows they draw on, created for a tool that
// draws them outside the program: the four history charts, the daily values
// page, the yearly energy balance and the daily energy balance list.
#include <QWidget>
#include <memory>
#include <vector>

class TForm1;
class TForm12;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm9;
class TImage;

struct View {
  const char* Caption;  // the window's title
  const char* Routine;  // the draw routine's name
  const char* PngName;  // the file the picture is saved to
  void (*Draw)();
  QWidget* Window;
  TImage* Image;        // the picture control, nullptr for the list
  const char* Picture;  // the background picture Image loads, nullptr for the list
};

// Creates the windows once, sets the program-wide window pointers to them and
// shows them (off screen unless a display is used).
class ViewWindows {
public:
  ViewWindows();
  ~ViewWindows();
  const std::vector<View>& Views() const { return views_; }

private:
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm12> form12_;
  std::unique_ptr<TForm3> form3_;
  std::unique_ptr<TForm4> form4_;
  std::unique_ptr<TForm5> form5_;
  std::unique_ptr<TForm6> form6_;
  std::unique_ptr<TForm9> form9_;
  std::vector<View> views_;
};
