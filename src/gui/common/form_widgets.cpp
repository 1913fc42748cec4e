#include "common/form_widgets.h"

#include "common/icons.h"
#include "common/list_helpers.h"
#include "common/twips.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Columns the user sized, by index, and whether the program is sizing them itself.
const char* const kUserSized = "vornaUserSizedColumns";
const char* const kSizing = "vornaSizingColumns";

bool userSized(const QTreeWidget* list, int column)
{
    return list->property(kUserSized).toList().contains(column);
}

// The program's own column sizing, which is not the user's.
class ProgramSizing {
public:
    explicit ProgramSizing(QTreeWidget* list) : m_list(list), m_before(list->property(kSizing).toBool())
    {
        m_list->setProperty(kSizing, true);
    }
    ~ProgramSizing() { m_list->setProperty(kSizing, m_before); }
    ProgramSizing(const ProgramSizing&) = delete;
    ProgramSizing& operator=(const ProgramSizing&) = delete;

private:
    QTreeWidget* m_list;
    bool m_before;
};

} // namespace

QPushButton* NamedButton(QWidget* parent, const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* NamedLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* NamedBox(QWidget* parent, const QString& name, int width)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    if (width > 0) {
        box->setFixedWidth(width);
    }
    return box;
}

QLineEdit* NumberBox(QWidget* parent, const QString& name, int width, const QString& text)
{
    QLineEdit* box = NamedBox(parent, name, width);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setText(text);
    return box;
}

QComboBox* NamedCombo(QWidget* parent, const QString& name)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    return combo;
}

QLabel* HeadingLabel(QWidget* parent, const QString& text, const QString& name)
{
    QLabel* label = NamedLabel(parent, name, text);
    MakeBold(label);
    return label;
}

void MakeBold(QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

QFrame* SeparatorLine(QWidget* parent, const QString& name)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* ValueLabel(QWidget* parent, const QString& name, int minimumWidth, const QString& text)
{
    QLabel* label = NamedLabel(parent, name, text);
    label->setFrameStyle(QFrame::NoFrame);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Window).darker(108));
    label->setPalette(palette);
    label->setBackgroundRole(QPalette::Window);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(minimumWidth);
    label->setContentsMargins(4, 1, 4, 1);
    return label;
}

QTreeWidget* ReportList(QWidget* parent, const QString& name)
{
    auto* list = new QTreeWidget(parent);
    MakeReportList(list, name);
    return list;
}

void MakeReportList(QTreeWidget* list, const QString& name)
{
    list->setObjectName(name);
    // A new QTreeWidget has one column; the first SetListColumns is to give the defaults.
    list->setColumnCount(0);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    QObject::connect(header, &QHeaderView::sectionResized, list, [list, header](int column, int, int) {
        // A stretched last column follows the window, not the user.
        if (list->property(kSizing).toBool() ||
            (header->stretchLastSection() && column == header->count() - 1)) {
            return;
        }
        QVariantList sized = list->property(kUserSized).toList();
        if (!sized.contains(column)) {
            sized << column;
            list->setProperty(kUserSized, sized);
        }
    });
}

void SetListColumns(QTreeWidget* list, const QList<ListColumn>& columns)
{
    QList<int> widths;
    QStringList captions;
    for (int i = 0; i < columns.size(); ++i) {
        widths << TwipsToPixels(ColumnWidthOr(list, i, columns.at(i).defaultTwips));
        captions << columns.at(i).caption;
    }
    ProgramSizing sizing(list);
    list->clear();
    list->setColumnCount(static_cast<int>(columns.size()));
    list->setHeaderLabels(captions);
    QHeaderView* header = list->header();
    header->setStretchLastSection(!columns.isEmpty() && !(columns.last().align & Qt::AlignRight));
    for (int i = 0; i < columns.size(); ++i) {
        list->headerItem()->setTextAlignment(i, columns.at(i).align | Qt::AlignVCenter);
        list->setColumnWidth(i, qMax(widths.at(i), header->sectionSizeHint(i)));
    }
}

void SetRowTexts(QTreeWidgetItem* item, const QStringList& texts, const QTreeWidget* list)
{
    if (!list) {
        list = item->treeWidget();
    }
    const QTreeWidgetItem* header = list ? list->headerItem() : nullptr;
    for (int i = 0; i < texts.size(); ++i) {
        item->setText(i, texts.at(i));
        const Qt::Alignment align = header ? Qt::Alignment(header->textAlignment(i)) : Qt::AlignLeft;
        item->setTextAlignment(i, (align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    }
}

namespace {

// How wide a text runs, in half-width characters: a full-width one counts two.
int textSpan(const QString& text)
{
    int span = 0;
    for (const QChar c : text) {
        span += c.unicode() < 0x2E80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) ? 1 : 2;
    }
    return span;
}

// The widest cell of a column, measured by the view only for the few rows with the longest
// texts: a list of hundreds of rows is not measured cell by cell on every reload.
int widestCell(const QTreeWidget* list, int column)
{
    constexpr int kMeasured = 3;
    QVector<QPair<int, int>> longest; // (span, row), longest first
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const int span = textSpan(list->topLevelItem(row)->text(column));
        if (longest.size() == kMeasured && span <= longest.constLast().first) {
            continue;
        }
        auto at =
            std::find_if(longest.begin(), longest.end(), [span](const auto& p) { return p.first < span; });
        longest.insert(at, {span, row});
        if (longest.size() > kMeasured) {
            longest.removeLast();
        }
    }
    // Called through the base class, where the size hint is public.
    const QAbstractItemView* view = list;
    int width = 0;
    for (const auto& [span, row] : longest) {
        width = qMax(width, view->sizeHintForIndex(list->model()->index(row, column)).width());
    }
    return width;
}

} // namespace

void FitListColumns(QTreeWidget* list)
{
    ProgramSizing sizing(list);
    QHeaderView* header = list->header();
    for (int i = 0; i < list->columnCount(); ++i) {
        if (list->isColumnHidden(i) || userSized(list, i)) {
            continue;
        }
        const int wanted = qMax(widestCell(list, i), header->sectionSizeHint(i));
        if (list->columnWidth(i) < wanted) {
            list->setColumnWidth(i, wanted);
        }
    }
}

RowListPanel::RowListPanel(QWidget* parent, const Names& names) : QObject(parent)
{
    const auto rowButton = [parent](const QString& name, const QString& text) {
        QPushButton* button = NamedButton(parent, name, text);
        button->setMinimumWidth(88);
        return button;
    };
    const auto arrow = [parent](const QString& name, QStyle::StandardPixmap icon, const QString& tip) {
        QPushButton* button = NamedButton(parent, name, QString());
        button->setIcon(Icons::styleIcon(parent, icon));
        button->setToolTip(tip);
        button->setFixedSize(34, 30);
        return button;
    };
    m_buttonRow = new QHBoxLayout;
    if (!names.add.isEmpty()) {
        m_add = rowButton(names.add, QStringLiteral("行追加"));
        m_buttonRow->addWidget(m_add);
    }
    m_update = rowButton(names.update, QStringLiteral("行更新"));
    m_delete = rowButton(names.remove, QStringLiteral("行削除"));
    m_buttonRow->addWidget(m_update);
    m_buttonRow->addWidget(m_delete);
    m_buttonRow->addStretch(1);

    m_list = ReportList(parent, names.list);
    m_up = arrow(names.up, QStyle::SP_ArrowUp, QStringLiteral("選択した行を上へ移動"));
    m_down = arrow(names.down, QStyle::SP_ArrowDown, QStringLiteral("選択した行を下へ移動"));
    auto* arrows = new QVBoxLayout;
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    arrows->addStretch(1);
    m_listRow = new QHBoxLayout;
    m_listRow->addWidget(m_list, 1);
    m_listRow->addLayout(arrows);
    refreshButtons();

    if (m_add) {
        connect(m_add, &QPushButton::clicked, this, [this] { emit applyRow(0); });
    }
    connect(m_update, &QPushButton::clicked, this, [this] { emit applyRow(1); });
    connect(m_delete, &QPushButton::clicked, this, [this] { emit applyRow(2); });
    connect(m_up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { move(1); });
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (!m_quiet && item) {
            emit rowClicked(item);
        }
    });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &RowListPanel::selectionChanged);
}

void RowListPanel::addTo(QVBoxLayout* layout)
{
    layout->addLayout(m_buttonRow);
    layout->addLayout(m_listRow, 1);
}

QTreeWidgetItem* RowListPanel::chosenRow() const
{
    return m_chosenKey.isEmpty() ? nullptr : FindItemByKey(m_list, m_chosenKey);
}

void RowListPanel::chooseRow(QTreeWidgetItem* item)
{
    if (!item) {
        forgetRow();
        return;
    }
    m_chosenKey = ItemKey(item);
    if (!item->isSelected() || m_list->currentItem() != item) {
        const QScopedValueRollback<bool> quiet(m_quiet, true);
        m_list->setCurrentItem(item);
        item->setSelected(true);
    }
    m_list->scrollToItem(item);
    refreshButtons();
}

QTreeWidgetItem* RowListPanel::rowToEnter(int mode)
{
    if (mode != 0) {
        return chosenRow();
    }
    const QScopedValueRollback<bool> quiet(m_quiet, true);
    return new QTreeWidgetItem(m_list);
}

void RowListPanel::enterRow(QTreeWidgetItem* row, const QString& key, const QStringList& texts)
{
    SetItemKey(row, key);
    SetRowTexts(row, texts);
    FitListColumns(m_list);
    chooseRow(row);
}

void RowListPanel::removeChosenRow()
{
    {
        const QScopedValueRollback<bool> quiet(m_quiet, true);
        delete chosenRow();
    }
    forgetRow();
}

void RowListPanel::forgetRow()
{
    m_chosenKey.clear();
    {
        const QScopedValueRollback<bool> quiet(m_quiet, true);
        m_list->clearSelection();
        m_list->setCurrentItem(nullptr);
    }
    refreshButtons();
}

void RowListPanel::setColumns(const QList<ListColumn>& columns)
{
    {
        const QScopedValueRollback<bool> quiet(m_quiet, true);
        SetListColumns(m_list, columns);
    }
    forgetRow();
}

void RowListPanel::setRows(const QList<Row>& rows)
{
    {
        const QScopedValueRollback<bool> quiet(m_quiet, true);
        while (m_list->topLevelItemCount() > rows.size()) {
            delete m_list->takeTopLevelItem(m_list->topLevelItemCount() - 1);
        }
        for (int i = 0; i < rows.size(); ++i) {
            QTreeWidgetItem* item =
                i < m_list->topLevelItemCount() ? m_list->topLevelItem(i) : new QTreeWidgetItem(m_list);
            SetItemKey(item, rows[i].key);
            SetRowTexts(item, rows[i].texts);
        }
    }
    FitListColumns(m_list);
    chooseRow(chosenRow());
}

void RowListPanel::selectionChanged()
{
    if (m_quiet) {
        return;
    }
    QTreeWidgetItem* selected = SelectedItem(m_list);
    if (!selected) {
        // A click beside the rows (or a Ctrl+click) would leave the buttons acting on a row that
        // no longer looks chosen, and the duplicate checks comparing it with itself.
        if (QTreeWidgetItem* chosen = chosenRow()) {
            const QScopedValueRollback<bool> quiet(m_quiet, true);
            chosen->setSelected(true);
        }
        return;
    }
    // A mouse press selects the row; the click that follows reports it.
    if (QApplication::mouseButtons() != Qt::NoButton || ItemKey(selected) == m_chosenKey) {
        return;
    }
    emit rowClicked(selected);
}

void RowListPanel::move(int offset)
{
    if (m_moveCheck && !m_moveCheck(offset)) {
        return;
    }
    if (m_mover) {
        m_mover(offset);
        return;
    }
    const QScopedValueRollback<bool> quiet(m_quiet, true);
    MoveListRow(m_list, offset);
}

void RowListPanel::refreshButtons()
{
    const bool chosen = !m_chosenKey.isEmpty();
    m_update->setEnabled(chosen);
    m_delete->setEnabled(chosen);
    // Nothing to move, or nothing to move it past.
    const bool movable = chosen && m_list->topLevelItemCount() > 1;
    m_up->setEnabled(movable);
    m_down->setEnabled(movable);
}
