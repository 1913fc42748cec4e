#include "project/project_editor.h"

#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/tab_keys.h"
#include "common/tab_pages.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "divisions/code_divisions.h"
#include "help/help.h"
#include "pricing/check_values.h"
#include "pricing/quotation.h"
#include "project/base_page.h"
#include "project/contract_page.h"
#include "project/deliverable_page.h"
#include "project/expense_page.h"
#include "project/form_parts.h"
#include "project/member_page.h"
#include "project/project_repository.h"
#include "project/schedule_page.h"
#include "settings/policy.h"
#include "state/app_state.h"
#include "workspace/price_recalc.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>
#include <memory>

namespace {

const int kFirstHelpTopic = 34;

} // namespace

ProjectEditor::ProjectEditor(AppState& state, QWidget* parent)
    : GuardedDialog(state.policy, parent), m_state(state)
{
    setObjectName(QStringLiteral("frmProj"));
    setWindowTitle(QStringLiteral("プロジェクト編集"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tbsOptions"));
    m_base = new BasePage(state, m_tabs);
    m_members = new MemberPage(state, m_tabs);
    m_dates = new SchedulePage(state, m_tabs);
    m_contract = new ContractPage(
        state, [this] { return m_dates->dates(); }, m_tabs);
    m_deliverables = new DeliverablePage(state, m_tabs);
    m_expenses = new ExpensePage(state, m_tabs);
    const struct {
        QWidget* page;
        const char* caption;
        const char* key;
        const char* tip;
    } tabs[] = {
        {m_base, "基本情報", "PrjBase", "プロジェクトの基本情報"},
        {m_members, "メンバ", "PrjMember", "作業メンバの選択"},
        {m_dates, "日程", "PrjDate2", "プロジェクトの大工程"},
        {m_contract, "契約", "PrjContract", "顧客との合意事項"},
        {m_deliverables, "納品物", "PrjDeliv", "納品する生産物"},
        {m_expenses, "経費", "PrjExpense", "開発の前提となる購入品"},
    };
    for (const auto& tab : tabs) {
        const int index = AddScrollingTab(m_tabs, tab.page, QString::fromUtf8(tab.caption));
        m_tabs->setTabToolTip(index, QString::fromUtf8(tab.tip));
        m_tabs->tabBar()->setTabData(index, QString::fromLatin1(tab.key));
    }

    auto* strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("fraSummary"));
    strip->setFrameShape(QFrame::StyledPanel);
    // Two rows of totals, so that the window fits a small or scaled screen.
    auto* stripLayout = new QGridLayout(strip);
    stripLayout->setContentsMargins(8, 4, 8, 4);
    stripLayout->setVerticalSpacing(2);
    m_personnelTotal = ValueLabel(strip, QStringLiteral("lblPerExp"), 96, QStringLiteral("0"));
    m_expenseTotals[0] = ValueLabel(strip, QStringLiteral("lblExpense_0"), 96, QStringLiteral("0"));
    m_expenseTotals[1] = ValueLabel(strip, QStringLiteral("lblExpense_1"), 96, QStringLiteral("0"));
    m_contractTotal = ValueLabel(strip, QStringLiteral("lblContract"), 96, QStringLiteral("0"));
    m_deliverableTotal = ValueLabel(strip, QStringLiteral("lblDelPri"), 96, QStringLiteral("0"));
    const struct {
        const char* caption;
        QLabel* value;
    } totals[] = {{"人件費：", m_personnelTotal},
                  {"経費(自社)：", m_expenseTotals[0]},
                  {"経費(顧客)：", m_expenseTotals[1]},
                  {"契約ｵﾌﾟｼｮﾝ：", m_contractTotal},
                  {"納品ｵﾌﾟｼｮﾝ：", m_deliverableTotal}};
    int cell = 0;
    for (const auto& total : totals) {
        const int row = cell / 3;
        const int column = (cell % 3) * 3;
        stripLayout->addWidget(new QLabel(QString::fromUtf8(total.caption), strip), row, column);
        stripLayout->addWidget(total.value, row, column + 1);
        stripLayout->setColumnMinimumWidth(column + 2, 12);
        ++cell;
    }
    stripLayout->setColumnStretch(9, 1);

    m_ok = NamedButton(this, QStringLiteral("cmdOK"), QStringLiteral("新規保存"));
    m_cancel = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    m_delete = NamedButton(this, QStringLiteral("cmdDel"), QStringLiteral("削除"));
    m_calc = NamedButton(this, QStringLiteral("cmdCalc"), QStringLiteral("計算..."));
    m_calc->setToolTip(QStringLiteral("見積金額を計算して受注金額に転記します"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_delete);
    buttons->addStretch();
    buttons->addWidget(m_calc);
    buttons->addSpacing(16);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(strip);
    layout->addLayout(buttons);
    resize(800, 620);

    connect(m_members, &MemberPage::totalChanged, this,
            [this](double total) { m_personnelTotal->setText(FormatAmount(total)); });
    connect(m_expenses, &ExpensePage::totalsChanged, this, [this](double own, double customer) {
        m_expenseTotals[0]->setText(FormatAmount(own));
        m_expenseTotals[1]->setText(FormatAmount(customer));
    });
    connect(m_contract, &ContractPage::totalChanged, this,
            [this](double total) { m_contractTotal->setText(FormatAmount(total)); });
    connect(m_deliverables, &DeliverablePage::totalChanged, this,
            [this](double total) { m_deliverableTotal->setText(FormatAmount(total)); });
    connect(m_tabs, &QTabWidget::currentChanged, this, &ProjectEditor::tabChanged);
    connect(m_ok, &QPushButton::clicked, this, [this] { ProjectSave(m_state.EditMode); });
    connect(m_delete, &QPushButton::clicked, this, &ProjectEditor::askDelete);
    connect(m_cancel, &QPushButton::clicked, this, &ProjectEditor::reject);
    connect(m_calc, &QPushButton::clicked, this, &ProjectEditor::openQuotation);
    InstallCtrlTab(this, m_tabs);

    load();
}

ProjectEditor::~ProjectEditor() = default;

int ProjectEditor::updatingMode() const
{
    return m_state.EditMode;
}

int ProjectEditor::exec()
{
    if (m_loadFailed) {
        return QDialog::Rejected;
    }
    return GuardedDialog::exec();
}

void ProjectEditor::tabChanged(int index)
{
    Help::setTopic(this, kFirstHelpTopic + 2 * index);
}

void ProjectEditor::load()
{
    Help::setTopic(this, kFirstHelpTopic);
    const bool updating = m_state.EditMode != 0;
    try {
        m_base->prepare(m_state.EditMode, m_state.ProposedParent);
        m_deliverables->prepare();
        m_contract->prepare();
        m_expenses->prepare();
        m_members->prepare();
        m_delete->setEnabled(false);
        if (updating) {
            m_ok->setText(QStringLiteral("更新保存"));
            m_delete->setEnabled(!ProjectRepository(m_state.conn()).hasSubProjects(m_state.CurProject));
            if (!loadProjectRow()) {
                m_loadFailed = true;
                Messages::exclamation(this, QStringLiteral("確認"),
                                      QStringLiteral("選択されたプロジェクトは既に削除されています。"));
                return;
            }
            m_dates->LoadScheduleDates(0);
            m_deliverables->LoadDeliverables();
            m_expenses->LoadExpenseList();
            m_members->LoadMemberList();
            m_contract->LoadContractOptions();
        } else {
            m_ok->setText(QStringLiteral("新規保存"));
            m_dates->LoadScheduleDates(0);
            m_expenses->LoadExpenseList();
            m_members->LoadMemberList();
            const Policy& policy = m_state.policy;
            // Own-company expenses are a cost, not part of the price, unless the user ticks them.
            m_state.ProjQuote =
                QuoteSettings{policy.Base, policy.Work, policy.Opt, policy.Deliv, false, policy.Expe1, 0.0};
        }
        m_members->UpdateMemberTotal();
        m_contract->UpdateContractTotal();
        m_deliverables->UpdateDeliverableTotal();
        m_expenses->UpdateExpenseTotals();
    } catch (const DbError& e) {
        m_loadFailed = true;
        ShowDbError(e, e.statement(), this);
    }
}

bool ProjectEditor::loadProjectRow()
{
    const std::optional<LoadedProject> row = ProjectRepository(m_state.conn()).load(m_state.CurProject);
    if (!row) {
        return false;
    }
    m_loaded = *row;
    OrigParent = WarnOnOverflow(ToLng(row->parent));
    OrigName = ToText(row->name);
    m_base->loadProject(*row);
    QuoteSettings& quote = m_state.ProjQuote;
    bool* const flags[6] = {&quote.Base, &quote.Work, &quote.Opt, &quote.Deliv, &quote.Expe0, &quote.Expe1};
    for (int i = 0; i < 6; ++i) {
        *flags[i] = CheckToBool(row->quote[i]);
    }
    quote.Discount = NumberOrZero(ToText(row->discount));
    return true;
}

bool ProjectEditor::validateAll()
{
    // A refused box brings its own page to the front before its message and takes the focus; the
    // pages that pass are not shown (showing each one lays it out, most of a save's time).
    const int shown = m_tabs->currentIndex();
    if (!m_base->validate() || !m_dates->confirmDates() || !m_contract->validate() ||
        !m_deliverables->validate()) {
        return false;
    }
    m_tabs->setCurrentIndex(shown);
    return true;
}

void ProjectEditor::ProjectSave(int mode)
{
    const WaitCursor wait;
    if (mode != 2 && !validateAll()) {
        return;
    }
    ProjectRecord record = m_base->record();
    record.quote = m_state.ProjQuote;
    ProjectComponents components;
    if (mode != 2) {
        components = {m_contract->rows(), m_dates->dates(), m_deliverables->rows(), m_expenses->rows(),
                      m_members->rows()};
    }
    QString reason;
    if (mode == 1 && !RunHandler(this, [this, &reason] { reason = repricingReason(); })) {
        return;
    }
    // The prices follow in the save's own transaction: the project is stored with the prices
    // of its new price kind, or not at all.
    WithinSave reprice;
    bool repricing = false;
    if (!reason.isEmpty()) {
        Messages::information(this, QStringLiteral("確認"),
                              reason + QStringLiteral("\n価格の再計算を行います。"));
        reprice = [this, &repricing](DbConnection& connection, int project) {
            repricing = true;
            RecalcPricesInTransaction(connection, m_state.policy.Charge, project);
            repricing = false;
        };
    }
    std::optional<int> project;
    try {
        project = ProjectRepository(m_state.conn())
                      .save(static_cast<SaveMode>(mode), m_loaded, record, components, reprice,
                            [this] { return AskOverwrite(this, QStringLiteral("このプロジェクト")); });
    } catch (const std::exception& e) {
        if (repricing) {
            ShowDbErrorWithNote(
                QStringLiteral("価格を再計算できなかったため、プロジェクトは保存されていません。"), e,
                QString(), this);
        } else {
            ShowDbError(e, QString(), this);
        }
        return;
    }
    if (!project) {
        return;
    }
    if (mode == 2) {
        m_state.CurProject = 0;
        m_state.Updated = true;
        closeSaved();
        return;
    }
    m_state.CurProject = *project;
    if (mode == 1) {
        m_state.CurPriKind = m_base->priceKind();
        if (!reason.isEmpty()) {
            m_state.PricesChanged = true;
        }
    }
    m_state.Updated = m_base->parentKey() != OrigParent || m_base->projectName() != OrigName;
    closeSaved();
}

QString ProjectEditor::repricingReason()
{
    if (!m_state.policy.Charge) {
        return QString();
    }
    if (m_base->priceKind() != m_state.CurPriKind) {
        if (WarnOnOverflow(ProjectRepository(m_state.conn()).pricedFunctionCount(m_state.CurProject)) > 0) {
            return QStringLiteral("価格種別が変更されました。");
        }
    }
    // The unit price of assigned work follows the member's job kind in the project.
    if (m_members->chargedKindChanged()) {
        return QStringLiteral("作業メンバの職種が変更されました。");
    }
    return QString();
}

void ProjectEditor::askDelete()
{
    if (Messages::question(this, QStringLiteral("削除確認"),
                           QStringLiteral("プロジェクトを削除します。よろしいですか？"),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes) {
        ProjectSave(2);
    }
}

void ProjectEditor::openQuotation()
{
    QuoteSources sources;
    sources.baseText = m_base->baseText();
    sources.expenses = m_expenses->buyerTotals();
    sources.options = m_contract->total();
    sources.deliverables = m_deliverables->total();
    std::unique_ptr<QuotationDialog> dialog;
    try {
        const WaitCursor loading;
        dialog = std::make_unique<QuotationDialog>(m_state, sources, this);
    } catch (const DbError& e) {
        ShowDbError(e, e.statement(), this);
        return;
    }
    if (dialog->exec() == QDialog::Accepted) {
        m_base->setPriceText(dialog->postedTotal());
    }
}
