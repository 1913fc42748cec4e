#pragma once

#include "common/messages.h"
#include "masters/list_editor.h"
#include "masters/master_rows.h"

#include <QList>
#include <QString>

class QLineEdit;

// One edited column: its label, box and list column.
struct MasterField {
    enum Width { Fixed, ListMinus, HalfList };

    QString labelName; // "lblLangCoef"
    QString caption;   // "FP-LOC変換係数"
    QString boxName;   // "txtLangCoef"
    Width width = Fixed;
    int widthTwips = 0; // Fixed: the width; ListMinus: what is left out of the list's width
    bool numeric = false;
    bool required = true;
    int boxWidth = 320; // pixels
    int maxLength = 0;  // text: the characters its column holds
};

// What tells the four master editors apart.
struct MasterEditorDesign {
    enum Duplicates { NoCheck, InDatabase, InList };

    ListEditorLayout layout;
    MasterTable table; // columns in the order of fields
    QString keyLetter; // "C", "L", "M", "I"
    QList<MasterField> fields;
    bool fillFromDatabase = false; // a click reads the row; otherwise the name is the row's text
    Duplicates onAdd = NoCheck;
    Duplicates onUpdate = NoCheck;
    QString duplicateMessage;
    Messages::Icon duplicateIcon = Messages::Information;
    QString explanation;
};

// A master editor: the rows of one name list, written at once.
class MasterEditor : public ListEditorDialog {
    Q_OBJECT
public:
    void FillMasterList();
    void SaveMasterRow(int mode); // 0 add, 1 update, 2 delete

protected:
    MasterEditor(AppState& state, const MasterEditorDesign& design, QWidget* parent);

    // Checks beyond the required fields; false after telling the user.
    virtual bool validate() { return true; }
    QLineEdit* box(int field) const { return m_boxes.at(field); }

    bool rowClicked(QTreeWidgetItem* item) override;
    void saveRow(int mode) override { SaveMasterRow(mode); }
    OrderExchange exchangeOrder(int a, int b) override { return rows().exchangeOrder(a, b); }

private:
    MasterRepository rows() const;
    bool nameTaken(int mode, const QString& name);
    int listWidthTwips() const;

    MasterEditorDesign m_design;
    QList<QLineEdit*> m_boxes;
    int m_selId = 0;
};

// frmCust: customers. Duplicate names are refused only when adding.
class CustomerEditor : public MasterEditor {
    Q_OBJECT
public:
    explicit CustomerEditor(AppState& state, QWidget* parent = nullptr);
};

// frmLang: development languages with their FP-to-LOC coefficient.
class LanguageEditor : public MasterEditor {
    Q_OBJECT
public:
    explicit LanguageEditor(AppState& state, QWidget* parent = nullptr);

protected:
    bool validate() override;
};

// frmMember: work members, created in the project editor; renamed, deleted and reordered here.
class MemberEditor : public MasterEditor {
    Q_OBJECT
public:
    explicit MemberEditor(AppState& state, QWidget* parent = nullptr);
};

// frmItem: expense items, created in the project editor; renamed, deleted and reordered here.
class ItemEditor : public MasterEditor {
    Q_OBJECT
public:
    explicit ItemEditor(AppState& state, QWidget* parent = nullptr);
};
