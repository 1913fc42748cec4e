#include "foundation/form_widgets.h"

#include "foundation/list_helpers.h"
#include "foundation/twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

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

QLabel* ValueLabel(QWidget* parent, const QString& name, int minimumWidth, const QString& text)
{
    QLabel* label = NamedLabel(parent, name, text);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
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

void FitListColumns(QTreeWidget* list)
{
    ProgramSizing sizing(list);
    QHeaderView* header = list->header();
    // Called through the base class, where the size hint is public.
    const QAbstractItemView* view = list;
    for (int i = 0; i < list->columnCount(); ++i) {
        if (list->isColumnHidden(i) || userSized(list, i)) {
            continue;
        }
        const int wanted = qMax(view->sizeHintForColumn(i), header->sectionSizeHint(i));
        if (list->columnWidth(i) < wanted) {
            list->setColumnWidth(i, wanted);
        }
    }
}
