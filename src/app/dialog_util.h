// Small pieces every dialog builds the same way. Object names are the
// contract with the GUI tests, which find controls by them.
#pragma once

#include <QAnyStringView>
#include <QString>
#include <functional>
#include <initializer_list>

class QDialog;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace app {

// A new Widget owned by parent (which may be null for a page that a tab
// widget adopts later) and named name. A caption, when given and when the
// widget has a text, becomes its text; const char* captions are UTF-8.
template <typename Widget>
Widget* Named(QWidget* parent, QAnyStringView name, QAnyStringView caption = nullptr) {
  auto* w = new Widget(parent);
  w->setObjectName(name.toString());
  if constexpr (requires { w->setText(QString()); })
    if (!caption.isNull()) w->setText(caption.toString());
  return w;
}

// A group box owned by parent, named name, titled caption (UTF-8).
QGroupBox* Frame(QWidget* parent, const char* name, const char* caption);

// A push button owned by parent, named name, captioned caption (UTF-8). It is
// not auto-default, so Enter in a field of a modeless window does not press it.
QPushButton* DialogButton(QWidget* parent, const char* name, const char* caption);

// A row that right-aligns buttons in the order given; the caller adds it to
// its layout, which then owns it.
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);

// The OK/Cancel row of a modeless window: two DialogButtons made in that order
// (the tab order), OK running on_ok and Cancel closing dialog.
QHBoxLayout* OkCancelRow(QDialog* dialog, const char* ok_name, const char* ok_caption,
                         const char* cancel_name, const char* cancel_caption,
                         std::function<void()> on_ok);

}  // namespace app
