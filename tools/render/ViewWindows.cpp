#include "tools/render/ViewWindows.h"

#include "views/history/ChartForms.h"
#include "views/history/DailyChart.h"
#include "views/history/MonthlyChart.h"
#include "views/history/YearlyChart.h"
#include "views/history/YieldChart.h"
#include "views/live/DailyValues.h"
#include "views/live/DayBalanceList.h"
#include "views/live/TForm4.h"
#include "views/live/TForm6.h"
#include "views/live/TForm9.h"
#include "views/live/YearBalance.h"

ViewWindows::ViewWindows()
    : form1_(std::make_unique<TForm1>(nullptr)),
      form12_(std::make_unique<TForm12>(nullptr)),
      form3_(std::make_unique<TForm3>(nullptr)),
      form4_(std::make_unique<TForm4>(nullptr)),
      form5_(std::make_unique<TForm5>(nullptr)),
      form6_(std::make_unique<TForm6>(nullptr)),
      form9_(std::make_unique<TForm9>(nullptr)) {
  Form1 = form1_.get();
  Form12 = form12_.get();
  Form3 = form3_.get();
  Form4 = form4_.get();
  Form5 = form5_.get();
  Form6 = form6_.get();
  Form9 = form9_.get();
  views_ = {
      {"Tagesdaten", "DrawDailyChart", "1-tagesdaten.png", DrawDailyChart, Form1, Form1->Image1, "b1.bmp"},
      {"Monatsdaten", "DrawMonthlyChart", "2-monatsdaten.png", DrawMonthlyChart, Form12, Form12->Image1, "b2.bmp"},
      {"Jahresdaten", "DrawYearlyChart", "3-jahresdaten.png", DrawYearlyChart, Form3, Form3->Image1, "b3.bmp"},
      {"Jahresenergiebilanz", "DrawYearBalance", "4-jahresenergiebilanz.png", DrawYearBalance, Form4, Form4->Image1,
       "b4.bmp"},
      {"Tagesenergiebilanz", "FillDayBalanceList", "5-tagesenergiebilanz.png", FillDayBalanceList, Form9, nullptr,
       nullptr},
      {"Ertrag der Anlage", "DrawYieldChart", "6-ertrag-der-anlage.png", DrawYieldChart, Form5, Form5->Image1,
       "b5.bmp"},
      {"Tageswerte", "DrawDailyValues", "7-tageswerte.png", DrawDailyValues, Form6, Form6->Image1, "b6.bmp"},
  };
  for (const View& view : views_) view.Window->show();
}

ViewWindows::~ViewWindows() {
  Form1 = nullptr;
  Form12 = nullptr;
  Form3 = nullptr;
  Form4 = nullptr;
  Form5 = nullptr;
  Form6 = nullptr;
  Form9 = nullptr;
}
