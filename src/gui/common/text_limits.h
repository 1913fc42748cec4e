#pragma once

#include "db/dialect.h"

#include <QString>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Text boxes hold no more characters than the column they are stored in. A character is a
// Unicode code point (what SQLite and PostgreSQL count), so an emoji is one character and the
// limit never cuts between the two halves of a surrogate pair. Typed, pasted and set text alike
// is cut at the limit: what does not fit of the part just entered is dropped.
void LimitText(QLineEdit* box, int characters);
void LimitText(QPlainTextEdit* box, int characters);
// An editable combo: its edit line.
void LimitText(QComboBox* box, int characters);

// The limit given to the box; 0 for none.
int TextLimit(const QWidget* box);

// Code points; a lone surrogate counts as one.
int CharacterCount(const QString& text);
// The length the engine's text columns count: SQL Server's nvarchar counts UTF-16 code units,
// SQLite and PostgreSQL characters.
int ColumnLength(Engine engine, const QString& text);
// A surrogate half without its partner: no valid character, which no statement may carry.
bool HasLoneSurrogate(const QString& text);

// For a save, before anything is written: the box's text must be whole characters
// (caption + "の値が正しくありません。", title "入力確認") and fit the box's column on this engine
// (caption + "の文字列が長すぎます。", title "サイズオーバ"). A refused box gets the focus.
bool CheckTextBox(QWidget* parent, Engine engine, const QString& caption, QWidget* box);
