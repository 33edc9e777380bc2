#pragma once
// Connects a control's signal (a button's click, a menu item, a timer, an
// up-down's arrow) to a handler whose exceptions reach the exception display.
#include <QObject>
#include <QPushButton>

#include <utility>

#include "base/Exception.h"

// The handler runs through Guarded, so an exception never unwinds through Qt.
// It lives as long as `context`.
template <class Sender, class Signal, class Handler>
void Bind(Sender* sender, Signal signal, QObject* context, Handler handler) {
  QObject::connect(sender, signal, context, [handler = std::move(handler)] { Guarded(handler); });
}

// Binds each button's click to its member handler of `form`.
template <class Form, size_t N>
void BindClicks(Form* form, const std::pair<QPushButton*, void (Form::*)()> (&buttons)[N]) {
  for (const auto& [button, handler] : buttons)
    Bind(button, &QPushButton::clicked, form, [form, h = handler] { (form->*h)(); });
}
