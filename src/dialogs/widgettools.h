#pragma once

#include "workflows/presenter/mainview.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <functional>

class QWidget;

namespace korvex::gui {

// Gives a widget, action or menu the name the workflows' tables and the
// tests know it by.
template <typename Object>
Object* Named(Object* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// Sets one colour of a widget's palette, only when it changes, so drawing
// often costs nothing.
void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour);
// A status colour as the panel and the file rows show it (their text black).
QColor ColourOf(TStatusColour colour, const QPalette& palette);
// Paints a status colour behind a widget's text.
void PaintStatus(QWidget* widget, TStatusColour colour);
QFont Scaled(QFont font, double factor, bool bold);
// True when every character a dump or a frame line shows is as wide as the
// others, so columns line up.
bool EveryCharacterAsWide(const QFont& font);
// The desktop's fixed font, or the first installed face whose columns line
// up when that one's do not.
QFont FixedPitchFont();

// Runs a user's action; an error it throws is shown as an error box.
void Handle(TPrompts& prompts, const std::function<void()>& action);

} // namespace korvex::gui
