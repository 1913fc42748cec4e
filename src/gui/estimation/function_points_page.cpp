#include "estimation/function_points_page.h"

#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/text_limits.h"
#include "common/wait_cursor.h"
#include "function/function_draft.h"
#include "function/function_repository.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kFpKinds[] = {"内部論理ﾌｧｲﾙ", "外部ｲﾝﾀｰﾌｪｰｽ・ﾌｧｲﾙ", "外部入力", "外部出力", "外部照会"};
const char* const kFpComplexities[] = {"低", "中", "高"};
constexpr int kKinds = 5;
constexpr int kComplexities = 3;

QList<ListColumn> fpColumns()
{
    return {{QStringLiteral("表題"), 2350},
            {QStringLiteral("種類"), 1900},
            {QStringLiteral("複雑度"), 800},
            {QStringLiteral("ﾎﾟｲﾝﾄ"), 650, Qt::AlignRight}};
}

// A row's key names the row, not what it holds: "f0007" is the draft's row 7.
QString rowKey(int id)
{
    return QStringLiteral("f%1").arg(id, 4, 10, QLatin1Char('0'));
}

int rowId(const QString& key)
{
    return key.mid(1).toInt();
}

QString label(const char* const* labels, int count, int code)
{
    return code >= 1 && code <= count ? QString::fromUtf8(labels[code - 1]) : QString();
}

} // namespace

FunctionPointsPage::FunctionPointsPage(FunctionDraft& draft, FunctionRepository& repository, Engine engine,
                                       QWidget* parent)
    : QWidget(parent), m_draft(draft), m_repository(repository), m_engine(engine)
{
    auto* layout = new QVBoxLayout(this);
    auto* inputs = new QGridLayout;
    auto* titleLabel = NamedLabel(this, QStringLiteral("lblFpTitle"), QStringLiteral("表題"));
    auto* kindLabel = NamedLabel(this, QStringLiteral("lblFpKind"), QStringLiteral("種類"));
    auto* complexLabel = NamedLabel(this, QStringLiteral("lblFpComplex"), QStringLiteral("複雑度"));
    m_title = NamedBox(this, QStringLiteral("txtFpTitle"));
    LimitText(m_title, 100);
    m_kind = NamedCombo(this, QStringLiteral("cmbFpKind"));
    for (int k = 1; k <= kKinds; ++k) {
        m_kind->addItem(label(kFpKinds, kKinds, k), k);
    }
    m_complexity = NamedCombo(this, QStringLiteral("cmbFpComplex"));
    for (int c = 1; c <= kComplexities; ++c) {
        m_complexity->addItem(label(kFpComplexities, kComplexities, c), c);
    }
    inputs->addWidget(titleLabel, 0, 0);
    inputs->addWidget(kindLabel, 0, 1);
    inputs->addWidget(complexLabel, 0, 2);
    inputs->addWidget(m_title, 1, 0);
    inputs->addWidget(m_kind, 1, 1);
    inputs->addWidget(m_complexity, 1, 2);
    inputs->setColumnStretch(0, 3);
    inputs->setColumnStretch(1, 2);
    inputs->setColumnStretch(2, 1);
    layout->addLayout(inputs);

    m_panel = new RowListPanel(this, {QStringLiteral("cmdFpAdd"), QStringLiteral("cmdFpUp"),
                                      QStringLiteral("cmdFpDel"), QStringLiteral("lvwFpList"),
                                      QStringLiteral("cmdFpLUp"), QStringLiteral("cmdFpLDown")});
    m_panel->addTo(layout);
    m_panel->setColumns(fpColumns());
    m_panel->setMover([this](int offset) { m_draft.fpRows().move(chosenRow(), offset); });
    connect(m_panel, &RowListPanel::applyRow, this, &FunctionPointsPage::editFpRow);
    connect(m_panel, &RowListPanel::rowClicked, this, &FunctionPointsPage::rowClicked);
    connect(&m_draft.fpRows(), &FpRowList::changed, this, &FunctionPointsPage::showRows);
}

void FunctionPointsPage::showDraft()
{
    m_kind->setCurrentIndex(0);
    m_complexity->setCurrentIndex(1);
    m_panel->setColumns(fpColumns());
    showRows();
}

void FunctionPointsPage::showRows()
{
    QList<RowListPanel::Row> rows;
    for (const FpRow& row : m_draft.fpRows().rows()) {
        rows.append({rowKey(row.id),
                     {row.title, label(kFpKinds, kKinds, row.kind),
                      label(kFpComplexities, kComplexities, row.complexity), row.points}});
    }
    m_panel->setRows(rows);
}

int FunctionPointsPage::chosenRow() const
{
    const QString key = m_panel->chosenKey();
    return key.isEmpty() ? 0 : rowId(key);
}

void FunctionPointsPage::rowClicked(QTreeWidgetItem* item)
{
    if (const FpRow* row = m_draft.fpRows().find(rowId(ItemKey(item)))) {
        m_title->setText(row->title);
        SelectComboByKey(m_kind, row->kind);
        SelectComboByKey(m_complexity, row->complexity);
    }
    m_panel->chooseRow(item);
}

void FunctionPointsPage::editFpRow(int op)
{
    const WaitCursor wait;
    FpRowList& rows = m_draft.fpRows();
    if (op == 2) {
        rows.remove(chosenRow());
        return;
    }
    const QString title = m_title->text();
    if (title.isEmpty()) {
        Messages::information(this, QStringLiteral("入力確認"), QStringLiteral("表題は必須入力です。"));
        return;
    }
    if (!CheckTextBox(this, m_engine, QStringLiteral("表題"), m_title)) {
        return;
    }
    // An update may keep the row's own title.
    if (!rows.titleFree(title, op == 0 ? 0 : chosenRow())) {
        Messages::exclamation(this, QStringLiteral("重複"),
                              QStringLiteral("同名の表題が既に登録されています。"));
        return;
    }
    const int kind = ComboKey(m_kind);
    const int complexity = ComboKey(m_complexity);
    QString points;
    try {
        points = m_repository.fpPoints(kind, complexity);
    } catch (const DbError& e) {
        ShowDbError(e, QString(), this);
        return;
    }
    // The row entered becomes the chosen one, so that the next update's duplicate check skips
    // this row and no other.
    int id = 0;
    if (op == 0) {
        id = rows.add(title, kind, complexity, points);
    } else {
        id = chosenRow();
        if (!rows.update(id, title, kind, complexity, points)) {
            return;
        }
    }
    m_panel->chooseRow(FindItemByKey(m_panel->list(), rowKey(id)));
}
