#include "estimation/function_editor.h"

#include "common/db_error_report.h"
#include "common/form_widgets.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/tab_keys.h"
#include "common/tab_pages.h"
#include "common/wait_cursor.h"
#include "db/db_connection.h"
#include "estimation/function_adjust_page.h"
#include "estimation/function_base_page.h"
#include "estimation/function_cocomo_page.h"
#include "estimation/function_hours_page.h"
#include "estimation/function_points_page.h"
#include "estimation/function_summary.h"
#include "estimation/work_assignment.h"
#include "function/function_save.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>

namespace {

const int kPageTopics[] = {50, 52, 56, 58, 60};

} // namespace

FunctionEditor::FunctionEditor(AppState& state, QWidget* parent)
    : GuardedDialog(state.policy, parent), m_state(state), m_repository(state),
      m_draft(state.chargeTable, state.policy.Charge, state.policy.MtoH)
{
    setObjectName(QStringLiteral("frmFunc"));
    setWindowTitle(QStringLiteral("機能項目編集"));
    buildUi();
    InstallCtrlTab(this, m_tabs);
    connect(&m_draft, &FunctionDraft::figuresChanged, this, &FunctionEditor::recalc);
    connect(&m_draft, &FunctionDraft::classChosen, this, &FunctionEditor::lookupClass);
    connect(&m_draft, &FunctionDraft::languageChosen, this, &FunctionEditor::lookupLanguage);
    m_ready = load();
}

// The pages go first: their boxes report to the draft up to their end.
FunctionEditor::~FunctionEditor()
{
    delete m_tabs;
}

int FunctionEditor::updatingMode() const
{
    return m_state.FuncEditMode;
}

void FunctionEditor::buildUi()
{
    auto* outer = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tbsOptions"));
    m_base = new FunctionBasePage(m_draft);
    m_hours = new FunctionHoursPage(m_draft);
    m_points = new FunctionPointsPage(m_draft, m_repository, m_state.conn().engine());
    m_adjust = new FunctionAdjustPage(m_draft);
    m_cocomo = new FunctionCocomoPage(m_draft);
    const struct {
        QWidget* page;
        const char* caption;
        const char* key;
        const char* tip;
    } pages[] = {
        {m_base, "基本情報", "fcBase", nullptr},
        {m_hours, "見積工数", "fcHour", "工程毎の工数を見積り、価格を設定。"},
        {m_points, "ﾌｧﾝｸｼｮﾝﾎﾟｲﾝﾄ", "fcFp", "ファンクションポイントの編集。"},
        {m_adjust, "FP調整係数", "ｆｃFpAdj", "ﾌｧﾝｸｼｮﾝﾎﾟｲﾝﾄの調整係数設定。"},
        {m_cocomo, "COCOMO", "fcCOCOMO", "COCOMOⅡの要因値を設定。"},
    };
    int index = 0;
    for (const auto& p : pages) {
        p.page->setObjectName(QStringLiteral("picOptions_%1").arg(index));
        p.page->setProperty("key", QString::fromUtf8(p.key));
        AddScrollingTab(m_tabs, p.page, QString::fromUtf8(p.caption));
        if (p.tip) {
            m_tabs->setTabToolTip(index, QString::fromUtf8(p.tip));
        }
        ++index;
    }
    outer->addWidget(m_tabs, 1);
    m_summary = new FunctionSummary(this);
    outer->addWidget(m_summary);

    auto* buttons = new QHBoxLayout;
    m_delete = NamedButton(this, QStringLiteral("cmdDel"), QStringLiteral("削除"));
    m_ok = NamedButton(this, QStringLiteral("cmdOK"), QStringLiteral("新規保存"));
    m_cancel = NamedButton(this, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    for (QPushButton* b : {m_delete, m_ok, m_cancel}) {
        b->setMinimumWidth(96);
    }
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    outer->addLayout(buttons);

    connect(m_tabs, &QTabWidget::currentChanged, this, &FunctionEditor::onTabChanged);
    connect(m_hours, &FunctionHoursPage::assignRequested, this, &FunctionEditor::openAssignments);
    connect(m_ok, &QPushButton::clicked, this, [this] { saveFunction(m_state.FuncEditMode); });
    connect(m_cancel, &QPushButton::clicked, this, &FunctionEditor::reject);
    connect(m_delete, &QPushButton::clicked, this, &FunctionEditor::confirmDelete);
}

bool FunctionEditor::load()
{
    // Assignments are priced under the project's price kind: without one they could be neither
    // shown nor priced, and a save would drop them.
    if (m_draft.chargeMode() && m_state.CurPriKind == 0) {
        Messages::exclamation(parentWidget(), QStringLiteral("作業費単価未設定"),
                              QStringLiteral("このプロジェクトには作業費単価の種類が設定されていません。\n"
                                             "プロジェクトの編集で設定してください。"));
        return false;
    }
    try {
        WaitCursor wait;
        Help::setTopic(this, kPageTopics[0]);
        const bool existing = m_state.FuncEditMode != 0;
        m_ok->setText(existing ? QStringLiteral("更新保存") : QStringLiteral("新規保存"));
        m_delete->setEnabled(existing);
        const FunctionRepository::Loaded loaded = m_repository.loadDraft(m_draft);
        m_base->showDraft();
        m_hours->showDraft();
        m_points->showDraft();
        m_adjust->showDraft();
        m_cocomo->showDraft();
        if (loaded.languageOverflow) {
            ShowOverflow();
        }
        m_loaded = true;
        recalc();
        return true;
    } catch (const DbError& e) {
        ShowDbError(e, QString(), parentWidget());
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), parentWidget());
    }
    return false;
}

void FunctionEditor::lookupClass(int i)
{
    if (!m_loaded) {
        return;
    }
    const WaitCursor wait;
    try {
        const auto coefficient = m_repository.classCoefficient(i, m_draft.correctionClass(i));
        m_draft.setClassCoefficient(i, coefficient.shown, coefficient.value);
    } catch (const DbError& e) {
        ShowDbError(e, QString(), this);
        recalc();
    }
}

void FunctionEditor::lookupLanguage()
{
    if (!m_loaded) {
        return;
    }
    const WaitCursor wait;
    FunctionRepository::StepsPerPoint steps;
    try {
        steps = m_repository.languageCoefficient(m_draft.language());
    } catch (const DbError& e) {
        ShowDbError(e, QString(), this);
    }
    if (steps.overflow) {
        ShowOverflow();
    }
    m_draft.setLanguageCoefficient(steps.value);
}

void FunctionEditor::recalc()
{
    if (!m_loaded) {
        return;
    }
    const EstimateResult r = m_draft.estimate();
    m_hours->showEstimate(r);
    m_adjust->showEstimate(r);
    m_cocomo->showEstimate(r);
    m_summary->showEstimate(r);

    // One warning per overflowing entry, not one per keystroke or page switch.
    QString overflow;
    for (const int row : r.overflowRows) {
        overflow +=
            QString::number(row) + QLatin1Char('=') + m_draft.process(row).hourText + QLatin1Char(';');
    }
    if (r.totalOverflow) {
        overflow += QStringLiteral("total");
    }
    if (!overflow.isEmpty() && overflow != m_shownOverflow) {
        ShowOverflow();
    }
    m_shownOverflow = overflow;
}

void FunctionEditor::onTabChanged(int index)
{
    if (index >= 0 && index < 5) {
        Help::setTopic(this, kPageTopics[index]);
    }
    if (index == 1) {
        recalc();
    }
}

void FunctionEditor::openAssignments(int row)
{
    m_state.ChargeProc = row + 1;
    std::optional<WaitCursor> loading(std::in_place);
    WorkAssignment dialog(m_state, this);
    loading.reset();
    dialog.setProcessName(m_hours->processName(row));
    if (dialog.isReady()) {
        dialog.exec();
    }
    m_draft.chargesEdited();
}

void FunctionEditor::confirmDelete()
{
    const auto answer = Messages::question(this, QStringLiteral("削除確認"),
                                           QStringLiteral("機能項目を削除します。よろしいですか？"),
                                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes) {
        saveFunction(SaveDelete);
    }
}

bool FunctionEditor::checkInputs()
{
    if (!m_base->checkTitle()) {
        return false;
    }
    if (!m_base->checkTexts(m_state.conn().engine())) {
        m_tabs->setCurrentIndex(0);
        return false;
    }
    if (!m_hours->checkInputs()) {
        m_tabs->setCurrentIndex(1);
        return false;
    }
    return true;
}

bool FunctionEditor::saveFunction(int mode)
{
    FunctionData data;
    if (mode != SaveDelete) {
        if (!checkInputs()) {
            return false;
        }
        const EstimateResult r = m_draft.estimate();
        if (r.overflow()) {
            ShowOverflow();
            m_tabs->setCurrentIndex(1);
            return false;
        }
        data = m_draft.dataToSave(r);
    }
    WaitCursor wait;
    // A failure is reported with the statement that failed, or for an error that names none,
    // the statement that ran last.
    QString last;
    try {
        m_repository.save(mode, data, &last);
    } catch (const DbError& e) {
        ShowDbError(e, e.statement().isEmpty() ? last : e.statement(), this);
        return false;
    } catch (const std::exception& e) {
        ShowDbError(e, last, this);
        return false;
    }
    closeSaved();
    return true;
}
