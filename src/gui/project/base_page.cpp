#include "project/base_page.h"

#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/tab_pages.h"
#include "common/text_limits.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "project/form_parts.h"
#include "project/project_lookups.h"
#include "state/app_state.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

QComboBox* listCombo(QWidget* parent, const QString& name)
{
    auto* combo = NamedCombo(parent, name);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

// The entry QComboBox::addItem makes: the text, and the key as its data.
QStandardItem* parentItem(const QString& text, int project)
{
    auto* item = new QStandardItem(text);
    item->setData(project, Qt::UserRole);
    return item;
}

QPlainTextEdit* memoBox(QWidget* parent, const QString& name)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setTabChangesFocus(true);
    return box;
}

} // namespace

BasePage::BasePage(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("picOptions_0"));

    m_parent = listCombo(this, QStringLiteral("cmbParProj"));
    m_parent->setMinimumContentsLength(40);
    m_nameLabel = NamedLabel(this, QStringLiteral("Label1"), QStringLiteral("プロジェクト名称"));
    m_name = NamedBox(this, QStringLiteral("txtPName"));
    LimitText(m_name, 100);
    m_endCustomer = listCombo(this, QStringLiteral("cmbEndCust"));
    m_endCustomer->setMinimumContentsLength(16);
    m_contractCustomer = listCombo(this, QStringLiteral("cmbContCust"));
    m_contractCustomer->setMinimumContentsLength(16);
    m_priceKind = listCombo(this, QStringLiteral("cmbPriKind"));
    m_priceKind->setMinimumContentsLength(16);
    m_base = NumberBox(this, QStringLiteral("txtBase"), 130);
    m_price = NumberBox(this, QStringLiteral("txtPrice"), 130);
    m_outline = memoBox(this, QStringLiteral("txtOutLine"));
    m_special = memoBox(this, QStringLiteral("txtSpecial"));
    LimitText(m_outline, 2000);
    LimitText(m_special, 2000);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(NamedLabel(this, QStringLiteral("lblParProj"), QStringLiteral("親プロジェクト")), 0, 0);
    grid->addWidget(m_parent, 0, 1, 1, 4);
    grid->addWidget(m_nameLabel, 1, 0);
    grid->addWidget(m_name, 1, 1, 1, 4);
    grid->addWidget(NamedLabel(this, QStringLiteral("lblEndCust"), QStringLiteral("最終顧客")), 2, 0);
    grid->addWidget(m_endCustomer, 2, 1);
    grid->addWidget(NamedLabel(this, QStringLiteral("lblContCust"), QStringLiteral("契約顧客")), 2, 2);
    grid->addWidget(m_contractCustomer, 2, 3, 1, 2);
    grid->addWidget(NamedLabel(this, QStringLiteral("lblPriKind"), QStringLiteral("価格種別")), 3, 0);
    grid->addWidget(m_priceKind, 3, 1);
    QLabel* note = NamedLabel(this, QStringLiteral("lblPriNote"),
                              QStringLiteral("機能項目の工程別価格の初期値に影響します。"));
    note->setStyleSheet(QStringLiteral("color: palette(mid);"));
    grid->addWidget(note, 3, 2, 1, 3);

    auto amountRow = [this](QLineEdit* box) {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(box);
        row->addWidget(new QLabel(QStringLiteral("円"), this));
        row->addStretch();
        return row;
    };
    grid->addWidget(NamedLabel(this, QStringLiteral("lblBase"), QStringLiteral("基本料金")), 4, 0);
    grid->addLayout(amountRow(m_base), 4, 1);
    grid->addWidget(NamedLabel(this, QStringLiteral("lblOrderPrice"), QStringLiteral("受注金額")), 4, 2);
    grid->addLayout(amountRow(m_price), 4, 3, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto framed = [this](const QString& name, const QString& title, QPlainTextEdit* box) {
        auto* frame = new QGroupBox(title, this);
        frame->setObjectName(name);
        auto* layout = new QVBoxLayout(frame);
        layout->addWidget(box);
        return frame;
    };
    auto* memos = new QHBoxLayout;
    memos->addWidget(framed(QStringLiteral("fraOutLine"), QStringLiteral("作業概要"), m_outline));
    memos->addWidget(framed(QStringLiteral("fraSpecial"), QStringLiteral("特記事項"), m_special));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addLayout(memos, 1);

    AttachNumericFilter(m_base, true, true);
    AttachNumericFilter(m_price, true, true);
    connect(m_priceKind, &QComboBox::activated, this,
            [this] { RunHandler(this, [this] { priceKindPicked(); }); });
    m_contractCustomer->installEventFilter(this);
}

void BasePage::prepare(int editMode, int proposedParent)
{
    const ProjectLookups lookups(m_state.conn());
    loadParentList(lookups, editMode, proposedParent);
    loadCustomers(lookups);
    loadPriceKinds(lookups);
}

void BasePage::loadParentList(const ProjectLookups& lookups, int editMode, int proposedParent)
{
    const QList<ParentChoice> choices = lookups.parentChoices(editMode != 0 ? m_state.CurProject : 0);
    m_parent->clear();
    // Thousands of projects: the entries go into the model in one insertion, not one by one.
    QList<QStandardItem*> items;
    items.reserve(choices.size() + 1);
    items.append(parentItem(QStringLiteral("ROOT"), 0));
    int selected = -1;
    for (const ParentChoice& choice : choices) {
        WarnOnOverflow(choice.parent);
        const int project = WarnOnOverflow(choice.project);
        items.append(parentItem(choice.text, project));
        if (editMode == 0 && project == proposedParent) {
            selected = items.size() - 1;
        }
    }
    qobject_cast<QStandardItemModel*>(m_parent->model())->invisibleRootItem()->appendRows(items);
    m_parent->setCurrentIndex(selected < 0 ? 0 : selected);
}

void BasePage::loadCustomers(const ProjectLookups& lookups)
{
    m_endCustomer->clear();
    m_contractCustomer->clear();
    for (const NamedKey& customer : lookups.customers()) {
        const int key = WarnOnOverflow(customer.key);
        m_endCustomer->addItem(customer.name, key);
        m_contractCustomer->addItem(customer.name, key);
    }
    m_endCustomer->setCurrentIndex(-1);
    m_contractCustomer->setCurrentIndex(-1);
}

void BasePage::loadPriceKinds(const ProjectLookups& lookups)
{
    m_priceKind->clear();
    const QList<PriceKindChoice> kinds = lookups.priceKinds();
    for (const PriceKindChoice& kind : kinds) {
        m_priceKind->addItem(kind.name, WarnOnOverflow(kind.key));
    }
    if (!kinds.isEmpty()) {
        m_base->setText(FormatAmount(kinds.first().base));
        m_priceKind->setCurrentIndex(0);
        priceKindPicked();
    }
}

void BasePage::priceKindPicked()
{
    const WaitCursor wait;
    if (m_priceKind->currentIndex() < 0) {
        return;
    }
    const std::optional<QVariant> base = ProjectLookups(m_state.conn()).priceKindBase(ComboKey(m_priceKind));
    if (base) {
        m_base->setText(FormatAmount(*base));
    }
}

void BasePage::loadProject(const LoadedProject& row)
{
    SelectComboByKey(m_parent, WarnOnOverflow(ToLng(row.parent)));
    m_name->setText(ToText(row.name));
    SelectComboByKey(m_contractCustomer, row.contractCustomer);
    SelectComboByKey(m_endCustomer, row.endCustomer);
    SelectComboByKey(m_priceKind, row.priceKind);
    m_base->setText(FormatAmount(row.base));
    m_price->setText(FormatAmount(row.price));
    m_outline->setPlainText(ToText(row.outline));
    m_special->setPlainText(ToText(row.special));
}

ProjectRecord BasePage::record() const
{
    ProjectRecord r;
    r.parent = ComboKey(m_parent);
    r.name = m_name->text();
    r.endCustomer = ComboKey(m_endCustomer);
    r.contractCustomer = ComboKey(m_contractCustomer);
    r.priceKind = ComboKey(m_priceKind);
    r.base = m_base->text();
    r.price = m_price->text();
    r.outline = m_outline->toPlainText();
    r.special = m_special->toPlainText();
    return r;
}

bool BasePage::validate()
{
    if (m_name->text().isEmpty()) {
        ShowTabPage(m_name);
        Messages::required(this, m_nameLabel->text());
        m_name->setFocus();
        return false;
    }
    const Engine engine = m_state.conn().engine();
    if (!CheckTextBox(this, engine, m_nameLabel->text(), m_name) ||
        !CheckTextBox(this, engine, QStringLiteral("作業概要"), m_outline) ||
        !CheckTextBox(this, engine, QStringLiteral("特記事項"), m_special)) {
        return false;
    }
    const struct {
        QComboBox* combo;
        const char* caption;
    } required[] = {{m_endCustomer, "最終顧客"}, {m_contractCustomer, "契約顧客"}, {m_priceKind, "価格種別"}};
    for (const auto& r : required) {
        if (r.combo->currentIndex() < 0) {
            ShowTabPage(r.combo);
            Messages::required(this, QString::fromUtf8(r.caption));
            r.combo->setFocus();
            return false;
        }
    }
    return CheckNumberBox(this, QStringLiteral("基本料金"), m_base) &&
           CheckNumberBox(this, QStringLiteral("受注金額"), m_price);
}

int BasePage::priceKind() const
{
    return ComboKey(m_priceKind);
}

int BasePage::parentKey() const
{
    return ComboKey(m_parent);
}

QString BasePage::projectName() const
{
    return m_name->text();
}

QString BasePage::baseText() const
{
    return m_base->text();
}

void BasePage::setPriceText(const QString& text)
{
    m_price->setText(text);
}

void BasePage::contractCustomerLeft()
{
    // The end customer is usually the contract customer; propose it while none is chosen.
    if (m_endCustomer->currentIndex() < 0 && m_contractCustomer->currentIndex() >= 0) {
        m_endCustomer->setCurrentIndex(m_contractCustomer->currentIndex());
    }
}

bool BasePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_contractCustomer && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        contractCustomerLeft();
    }
    return QWidget::eventFilter(watched, event);
}
