#include "masters/master_editors.h"

#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/list_helpers.h"
#include "common/overflow.h"
#include "common/text_limits.h"
#include "common/twips.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "masters/master_tables.h"
#include "state/app_state.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

MasterEditor::MasterEditor(AppState& state, const MasterEditorDesign& design, QWidget* parent)
    : ListEditorDialog(state, design.layout, parent), m_design(design)
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < design.fields.size(); ++i) {
        const MasterField& field = design.fields.at(i);
        auto* label = NamedLabel(this, field.labelName, field.caption);
        QLineEdit* edit = field.numeric ? NumberBox(this, field.boxName, field.boxWidth)
                                        : NamedBox(this, field.boxName, field.boxWidth);
        label->setBuddy(edit);
        if (field.numeric) {
            AttachNumericFilter(edit, true, false);
        } else if (field.maxLength > 0) {
            LimitText(edit, field.maxLength);
        }
        grid->addWidget(label, i, 0);
        grid->addWidget(edit, i, 1, Qt::AlignLeft);
        m_boxes << edit;
    }
    grid->setColumnStretch(1, 1);

    auto* area = new QVBoxLayout;
    area->addLayout(grid);
    if (!design.explanation.isEmpty()) {
        auto* note = NamedLabel(this, QStringLiteral("lblNote"), design.explanation);
        note->setWordWrap(true);
        note->setFixedWidth(TwipsToPixels(design.layout.listWidthTwips));
        note->setContentsMargins(0, 6, 0, 0);
        area->addWidget(note);
    }
    setEditArea(area);

    try {
        FillMasterList();
    } catch (const DbError& error) {
        ShowDbError(error, error.statement(), this);
    }
}

int MasterEditor::listWidthTwips() const
{
    // The width the rows can use: inside the frame, beside the vertical scroll bar.
    const int inside = list()->width() - 2 * list()->frameWidth() -
                       list()->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list());
    return PixelsToTwips(inside);
}

void MasterEditor::FillMasterList()
{
    QList<ListColumn> columns;
    const int width = listWidthTwips();
    for (const MasterField& field : m_design.fields) {
        int twips = field.widthTwips;
        if (field.width == MasterField::ListMinus) {
            twips = width - field.widthTwips;
        } else if (field.width == MasterField::HalfList) {
            twips = width / 2;
        }
        columns << ListColumn{field.caption, twips, field.numeric ? Qt::AlignRight : Qt::AlignLeft};
    }
    resetList(columns);

    for (const MasterListRow& row : rows().list()) {
        addRow(m_design.keyLetter + row.key, row.values);
    }
    finishList();
}

MasterRepository MasterEditor::rows() const
{
    return MasterRepository(state().conn(), m_design.table);
}

bool MasterEditor::rowClicked(QTreeWidgetItem* item)
{
    int id = 0;
    if (!KeyNumber(ItemKey(item), &id, this)) {
        return false;
    }
    m_selId = id;
    if (!m_design.fillFromDatabase) {
        m_boxes.first()->setText(item->text(0));
        return true;
    }
    try {
        const std::optional<QStringList> values = rows().row(m_selId);
        if (values) {
            for (int i = 0; i < m_boxes.size(); ++i) {
                m_boxes.at(i)->setText(values->at(i));
            }
        }
    } catch (const DbError& error) {
        ShowDbError(error, error.statement(), this);
        return false;
    }
    return true;
}

bool MasterEditor::nameTaken(int mode, const QString& name)
{
    const MasterEditorDesign::Duplicates rule = mode == 0 ? m_design.onAdd : m_design.onUpdate;
    switch (rule) {
    case MasterEditorDesign::InDatabase:
        return rows().nameTaken(name, mode == 1 ? m_selId : 0);
    case MasterEditorDesign::InList:
        return !ListTextFree(list(), name, mode);
    case MasterEditorDesign::NoCheck:
        break;
    }
    return false;
}

void MasterEditor::SaveMasterRow(int mode)
{
    QStringList values;
    for (QLineEdit* edit : m_boxes) {
        values << edit->text();
    }
    if (mode != 2) {
        for (int i = 0; i < m_design.fields.size(); ++i) {
            if (m_design.fields.at(i).required && values.at(i).trimmed().isEmpty()) {
                Messages::required(this, m_design.fields.at(i).caption);
                m_boxes.at(i)->setFocus();
                return;
            }
        }
        for (int i = 0; i < m_design.fields.size(); ++i) {
            if (!CheckTextBox(this, state().conn().engine(), m_design.fields.at(i).caption, m_boxes.at(i))) {
                return;
            }
        }
        if (!validate()) {
            return;
        }
    }

    // No transaction: each of these is a single statement.
    try {
        if (mode != 2 && nameTaken(mode, values.first())) {
            Messages::show(this, m_design.duplicateIcon, QStringLiteral("重複"), m_design.duplicateMessage);
            return;
        }
        switch (mode) {
        case 0:
            WarnOnOverflow(rows().add(values));
            break;
        case 1:
            rows().update(m_selId, values);
            break;
        default:
            rows().remove(m_selId);
            updateButton()->setEnabled(false);
            deleteButton()->setEnabled(false);
            break;
        }
    } catch (const DbError& error) {
        ShowDbError(error, error.statement(), this);
        return;
    } catch (const ConversionError& error) {
        ShowDbError(error, QString(), this);
        return;
    }
    reloadAfterSave([this] { FillMasterList(); });
}

namespace {

MasterEditorDesign customerDesign()
{
    MasterEditorDesign design;
    design.layout = {QStringLiteral("frmCust"),
                     QStringLiteral("顧客編集"),
                     14,
                     QStringLiteral("lvwCList"),
                     QStringLiteral("cmdCUp"),
                     QStringLiteral("cmdCDown"),
                     true,
                     12300,
                     3600};
    design.table = CustomerTable();
    design.keyLetter = QStringLiteral("C");
    design.fields = {
        {QStringLiteral("lblCust"), QStringLiteral("顧客名称"), QStringLiteral("txtCustName"),
         MasterField::HalfList, 0, false, true, 360, 50},
        {QStringLiteral("lblCmnt"), QStringLiteral("コメント"), QStringLiteral("txtMemo"), MasterField::Fixed,
         6000, false, false, 560, 255},
    };
    design.fillFromDatabase = true;
    design.onAdd = MasterEditorDesign::InDatabase;
    design.duplicateMessage = QStringLiteral("同一顧客が既に登録されています。");
    return design;
}

MasterEditorDesign languageDesign()
{
    MasterEditorDesign design;
    design.layout = {QStringLiteral("frmLang"),
                     QStringLiteral("開発言語編集"),
                     16,
                     QStringLiteral("lvwLList"),
                     QStringLiteral("cmdLUp"),
                     QStringLiteral("cmdLDown"),
                     true,
                     6600,
                     3600};
    design.table = LanguageTable();
    design.keyLetter = QStringLiteral("L");
    design.fields = {
        {QStringLiteral("lblLangName"), QStringLiteral("言語名称"), QStringLiteral("txtLangName"),
         MasterField::ListMinus, 2000, false, true, 300, 50},
        {QStringLiteral("lblLangCoef"), QStringLiteral("FP-LOC変換係数"), QStringLiteral("txtLangCoef"),
         MasterField::Fixed, 1800, true, true, 100},
    };
    design.fillFromDatabase = true;
    design.onAdd = MasterEditorDesign::InDatabase;
    design.onUpdate = MasterEditorDesign::InDatabase;
    design.duplicateMessage = QStringLiteral("同名の開発言語が既に登録されています。");
    design.explanation =
        QStringLiteral("「FP-LOC変換係数」にはその開発言語でファンクションポイント１ポイントを実現するのに"
                       "必要なステップ数を指定します。COCOMOで工数を算出するために使用します。");
    return design;
}

// Members and expense items are created in the project editor; here they are only renamed,
// deleted and reordered. They differ in their names alone.
struct RenameOnly {
    const char* form;
    const char* caption;
    int help;
    const char* list;
    const MasterTable& (*table)();
    const char* letter;
    const char* labelName;
    const char* label;
    const char* duplicate;
};

const RenameOnly kMembers{"frmMember", "作業メンバ名編集", 20,
                          "lvwMbList", MemberTable,        "M",
                          "lblMember", "メンバ名称",       "同名のメンバが既に存在します。"};
const RenameOnly kItems{"frmItem",   "経費項目名編集", 22,
                        "lvwItList", ItemTable,        "I",
                        "lblItem",   "項目名称",       "同名の項目が既に存在します。"};

MasterEditorDesign renameOnlyDesign(const RenameOnly& names)
{
    const auto text = [](const char* utf8) { return QString::fromUtf8(utf8); };
    MasterEditorDesign design;
    design.layout = {text(names.form),
                     text(names.caption),
                     names.help,
                     text(names.list),
                     QStringLiteral("cmdCUp"),
                     QStringLiteral("cmdCDown"),
                     false,
                     5400,
                     3600};
    design.table = names.table();
    design.keyLetter = text(names.letter);
    design.fields = {{text(names.labelName), text(names.label), QStringLiteral("txtName"),
                      MasterField::ListMinus, 100, false, true, 300, 50}};
    design.onUpdate = MasterEditorDesign::InList;
    design.duplicateMessage = text(names.duplicate);
    design.duplicateIcon = Messages::Exclamation;
    return design;
}

} // namespace

CustomerEditor::CustomerEditor(AppState& state, QWidget* parent)
    : MasterEditor(state, customerDesign(), parent)
{
}

LanguageEditor::LanguageEditor(AppState& state, QWidget* parent)
    : MasterEditor(state, languageDesign(), parent)
{
}

bool LanguageEditor::validate()
{
    // Source steps per function point: a whole number that fits the 16-bit figures using it.
    double value = 0;
    if (!ParseNumber(box(1)->text(), &value) || value != std::floor(value) || value < 1 ||
        value > kShortMax) {
        Messages::information(
            this, QStringLiteral("入力確認"),
            QStringLiteral("FP-LOC変換係数は1～%1の範囲で入力してください。").arg(kShortMax));
        box(1)->setFocus();
        return false;
    }
    return true;
}

MemberEditor::MemberEditor(AppState& state, QWidget* parent)
    : MasterEditor(state, renameOnlyDesign(kMembers), parent)
{
}

ItemEditor::ItemEditor(AppState& state, QWidget* parent)
    : MasterEditor(state, renameOnlyDesign(kItems), parent)
{
}
