#include "estimation/function_editor.h"

#include "accuracy/cocomo_constant.h"
#include "common/db_error_report.h"
#include "common/division_combos.h"
#include "common/form_widgets.h"
#include "common/input_filters.h"
#include "common/list_helpers.h"
#include "common/messages.h"
#include "common/overflow.h"
#include "common/tab_keys.h"
#include "common/tab_pages.h"
#include "common/text_limits.h"
#include "common/twips.h"
#include "common/wait_cursor.h"
#include "convert/conversions.h"
#include "db/db_connection.h"
#include "db/sql_literal.h"
#include "divisions/code_divisions.h"
#include "divisions/division_ids.h"
#include "estimation/cocomo_range.h"
#include "estimation/work_assignment.h"
#include "help/help.h"
#include "state/app_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>

namespace {

const int kPageTopics[] = {50, 52, 56, 58, 60};

const char* const kScaleNames[kScaleDrivers] = {"PREC", "FLEX", "RESL", "TEAM", "PMAT"};
const char* const kScaleTips[kScaleDrivers] = {"開発の先進性", "開発の柔軟性", "リスク解決度",
                                               "チームの凝集度", "プロセス成熟度"};
const char* const kCostNames[kCostDrivers] = {"RELY", "DATA", "CPLX", "RUSE", "DOCU", "TIME",
                                              "STOR", "PVOL", "ACAP", "PCAP", "PCON", "AEXP",
                                              "PEXP", "LTEX", "TOOL", "SITE", "SCED"};
const char* const kCostTips[kCostDrivers] = {"要求されるソフト信頼性のレベル",
                                             "データベースの規模",
                                             "製品の複雑性",
                                             "ソフトの再利用性",
                                             "要求されるドキュメントのレベル",
                                             "実行時間の制約",
                                             "主記憶容量の制約",
                                             "プラットホームの変更頻度",
                                             "アナリストの能力",
                                             "プログラマーの能力",
                                             "要因の継続性",
                                             "アプリケーションの経験",
                                             "プラットホームの経験",
                                             "言語とツールの経験",
                                             "使用するソフトウエアツールのレベル",
                                             "開発拠点の分散度",
                                             "開発スケジュールの期間"};
const char* const kAdjustNames[kAdjustFactors] = {"データ通信",
                                                  "分散データ処理",
                                                  "性能要件",
                                                  "高負荷構成",
                                                  "トランザクション量",
                                                  "オンラインデータ入力",
                                                  "エンドユーザーの効率",
                                                  "オンライン更新",
                                                  "複雑な処理",
                                                  "再利用",
                                                  "インストールの簡易さ",
                                                  "操作の容易さ",
                                                  "複数サイト",
                                                  "機能の変更、追加に強い設計"};
const char* const kFpKinds[] = {"内部論理ﾌｧｲﾙ", "外部ｲﾝﾀｰﾌｪｰｽ・ﾌｧｲﾙ", "外部入力", "外部出力", "外部照会"};
const char* const kFpComplexities[] = {"低", "中", "高"};
const char* const kClassCombos[kCorrectionClasses] = {"cmbNUp", "cmbImp", "cmbDef", "cmbRsk", "cmbTrm"};
const char* const kClassCaptions[kCorrectionClasses] = {"新・改", "重要度", "難易度", "安全性", "期間"};

QList<ListColumn> fpColumns()
{
    return {{QStringLiteral("表題"), 2350},
            {QStringLiteral("種類"), 1900},
            {QStringLiteral("複雑度"), 800},
            {QStringLiteral("ﾎﾟｲﾝﾄ"), 650, Qt::AlignRight}};
}

QString t(const char* text)
{
    return QString::fromUtf8(text);
}

QString num(int value)
{
    return QString::number(value);
}

DbError loadError(const QString& text, const QString& statement)
{
    return DbError(DbError::Other, text, statement);
}

} // namespace

QString MakeFpKey(int& counter, int kind, int complexity)
{
    ++counter;
    return QStringLiteral("f%1-%2-%3")
        .arg(kind, 2, 10, QLatin1Char('0'))
        .arg(complexity, 2, 10, QLatin1Char('0'))
        .arg(counter, 4, 10, QLatin1Char('0'));
}

int FpKeyKind(const QString& key)
{
    return key.mid(1, 2).toInt();
}

int FpKeyComplex(const QString& key)
{
    return key.mid(4, 2).toInt();
}

FunctionEditor::FunctionEditor(AppState& state, QWidget* parent)
    : GuardedDialog(state.policy, parent), m_state(state)
{
    setObjectName(QStringLiteral("frmFunc"));
    setWindowTitle(QStringLiteral("機能項目編集"));
    m_chargeMode = state.policy.Charge;
    buildUi();
    InstallCtrlTab(this, m_tabs);
    m_ready = runLoad();
}

int FunctionEditor::updatingMode() const
{
    return m_state.FuncEditMode;
}

// ---------------------------------------------------------------------------------------
// Layout

void FunctionEditor::buildUi()
{
    auto* outer = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tbsOptions"));
    const struct {
        QWidget* page;
        const char* caption;
        const char* key;
        const char* tip;
    } pages[] = {
        {buildBasePage(), "基本情報", "fcBase", nullptr},
        {buildHoursPage(), "見積工数", "fcHour", "工程毎の工数を見積り、価格を設定。"},
        {buildFpPage(), "ﾌｧﾝｸｼｮﾝﾎﾟｲﾝﾄ", "fcFp", "ファンクションポイントの編集。"},
        {buildAdjustPage(), "FP調整係数", "ｆｃFpAdj", "ﾌｧﾝｸｼｮﾝﾎﾟｲﾝﾄの調整係数設定。"},
        {buildCocomoPage(), "COCOMO", "fcCOCOMO", "COCOMOⅡの要因値を設定。"},
    };
    int index = 0;
    for (const auto& p : pages) {
        p.page->setObjectName(QStringLiteral("picOptions_%1").arg(index));
        p.page->setProperty("key", t(p.key));
        AddScrollingTab(m_tabs, p.page, t(p.caption));
        if (p.tip) {
            m_tabs->setTabToolTip(index, t(p.tip));
        }
        ++index;
    }
    outer->addWidget(m_tabs, 1);
    outer->addWidget(buildSummary());

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
    connect(m_ok, &QPushButton::clicked, this, [this] { saveFunction(m_state.FuncEditMode); });
    connect(m_cancel, &QPushButton::clicked, this, &FunctionEditor::reject);
    connect(m_delete, &QPushButton::clicked, this, &FunctionEditor::confirmDelete);
}

QWidget* FunctionEditor::buildBasePage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* frame = new QGroupBox(QStringLiteral("機能項目詳細"), page);
    frame->setObjectName(QStringLiteral("fraDetail"));
    auto* grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    m_titleLabel = NamedLabel(frame, QStringLiteral("Label6"), QStringLiteral("機能項目表題"));
    m_title = NamedBox(frame, QStringLiteral("txtSFunc"));
    LimitText(m_title, 100);
    grid->addWidget(m_titleLabel, 0, 0);
    grid->addWidget(m_title, 0, 1, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("説明"), frame), 1, 0, Qt::AlignTop);
    m_description = new QPlainTextEdit(frame);
    m_description->setObjectName(QStringLiteral("txtLFunc"));
    m_description->setTabChangesFocus(true);
    LimitText(m_description, 2000);
    grid->addWidget(m_description, 1, 1, 1, 3);

    for (int i = 0; i < kCorrectionClasses; ++i) {
        m_classCombos[i] = NamedCombo(frame, t(kClassCombos[i]));
        const int row = 2 + i / 2;
        const int column = (i % 2) * 2;
        grid->addWidget(new QLabel(t(kClassCaptions[i]), frame), row, column);
        grid->addWidget(m_classCombos[i], row, column + 1);
        connect(m_classCombos[i], &QComboBox::currentIndexChanged, this, [this, i] { onClassChanged(i); });
    }
    m_lang = NamedCombo(frame, QStringLiteral("cmbLang"));
    m_lang->setToolTip(QStringLiteral("FP-LOC変換係数に影響します。"));
    auto* langLabel = NamedLabel(frame, QStringLiteral("lblLang"), QStringLiteral("言語"));
    langLabel->setToolTip(m_lang->toolTip());
    grid->addWidget(langLabel, 4, 2);
    grid->addWidget(m_lang, 4, 3);
    connect(m_lang, &QComboBox::currentIndexChanged, this, &FunctionEditor::onLanguageChanged);

    m_reserve = new QCheckBox(QStringLiteral("保留"), frame);
    m_reserve->setObjectName(QStringLiteral("chkReserve"));
    m_reserve->setToolTip(QStringLiteral("チェックすると、工数や費用の計算対象外になります。"));
    grid->addWidget(m_reserve, 5, 1);
    layout->addWidget(frame);
    return page;
}

QWidget* FunctionEditor::buildHoursPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_hoursGrid = new QGridLayout;
    m_hoursGrid->setHorizontalSpacing(6);
    m_hoursGrid->setVerticalSpacing(4);
    for (int i = 0; i < kProcessRows; ++i) {
        ProcessRow& r = m_rows[i];
        r.name = NamedLabel(page, QStringLiteral("lvlHour_%1").arg(i),
                            QStringLiteral("工程%1").arg(QChar(0xFF11 + i)));
        r.name->setMinimumWidth(90);
        r.hours = NumberBox(page, QStringLiteral("txtHour_%1").arg(i), 80);
        AttachNumericFilter(r.hours, false, false);
        r.hoursUnit = NamedLabel(page, QStringLiteral("lblHUnit_%1").arg(i), QStringLiteral("時間"));
        r.times = NamedLabel(page, QStringLiteral("lblX_%1").arg(i), QStringLiteral("×"));
        r.unitPrice = NumberBox(page, QStringLiteral("txtUPrice_%1").arg(i), 100);
        AttachNumericFilter(r.unitPrice, true, true);
        r.yenUnit = NamedLabel(page, QStringLiteral("lblPri_%1").arg(i), QStringLiteral("円"));
        r.equals = NamedLabel(page, QStringLiteral("lblE_%1").arg(i), QStringLiteral("＝"));
        r.price = ValueLabel(page, QStringLiteral("lvlPrice_%1").arg(i), 120);
        r.priceUnit = NamedLabel(page, QStringLiteral("lblPUnit_%1").arg(i), QStringLiteral("円"));
        r.chargedHours = ValueLabel(page, QStringLiteral("lblUHour_%1").arg(i), 80);
        r.chargedHours->setToolTip(
            QStringLiteral("担当入力で割り当てた作業時間の合計です。「担当入力...」で変更します。"));
        r.assign = NamedButton(page, QStringLiteral("cmdHour_%1").arg(i), QStringLiteral("担当入力..."));
        connect(r.hours, &QLineEdit::textChanged, this, &FunctionEditor::recalc);
        connect(r.unitPrice, &QLineEdit::textChanged, this, &FunctionEditor::recalc);
        connect(r.assign, &QPushButton::clicked, this, [this, i] { openAssignments(i); });
    }

    m_hoursTotal = ValueLabel(page, QStringLiteral("lvlHTotal"), 80);
    m_hoursTotalUnit = NamedLabel(page, QStringLiteral("lvlUnit2"), QStringLiteral("時間"));
    m_total = ValueLabel(page, QStringLiteral("lvlTotal"), 120);
    m_correctedTotal = ValueLabel(page, QStringLiteral("lvlCTotal"), 120);
    m_discount = NumberBox(page, QStringLiteral("txtDiscount"), 120);
    AttachNumericFilter(m_discount, true, true);
    connect(m_discount, &QLineEdit::textChanged, this, &FunctionEditor::recalc);
    m_price = ValueLabel(page, QStringLiteral("lvlPriAll"), 120);
    MakeBold(m_price);

    m_coefChain = new QWidget(page);
    auto* chain = new QHBoxLayout(m_coefChain);
    chain->setContentsMargins(0, 0, 0, 0);
    chain->setSpacing(2);
    for (int i = 0; i < kCorrectionClasses; ++i) {
        if (i > 0) {
            chain->addWidget(new QLabel(QStringLiteral("×"), m_coefChain));
        }
        m_coefLabels[i] =
            ValueLabel(m_coefChain, QStringLiteral("lvlCoef_%1").arg(i), 36, QStringLiteral("1.00"));
        m_coefLabels[i]->setToolTip(t(kClassCaptions[i]));
        chain->addWidget(m_coefLabels[i]);
    }
    chain->addWidget(new QLabel(QStringLiteral("＝"), m_coefChain));
    m_correction = ValueLabel(m_coefChain, QStringLiteral("lvlCofeAll"), 36);
    chain->addWidget(m_correction);
    chain->addStretch(1);

    m_hoursLine = SeparatorLine(page);
    for (const char* caption : {"総計", "補正", "値引き", "価格"}) {
        m_totalRowLabels << new QLabel(t(caption), page);
        m_totalYenLabels << new QLabel(QStringLiteral("円"), page);
    }
    layout->addLayout(m_hoursGrid);
    layout->addStretch(1);
    return page;
}

QWidget* FunctionEditor::buildFpPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* inputs = new QGridLayout;
    auto* titleLabel = NamedLabel(page, QStringLiteral("lblFpTitle"), QStringLiteral("表題"));
    auto* kindLabel = NamedLabel(page, QStringLiteral("lblFpKind"), QStringLiteral("種類"));
    auto* complexLabel = NamedLabel(page, QStringLiteral("lblFpComplex"), QStringLiteral("複雑度"));
    m_fpTitle = NamedBox(page, QStringLiteral("txtFpTitle"));
    LimitText(m_fpTitle, 100);
    m_fpKind = NamedCombo(page, QStringLiteral("cmbFpKind"));
    for (int k = 0; k < 5; ++k) {
        m_fpKind->addItem(t(kFpKinds[k]), k + 1);
    }
    m_fpComplex = NamedCombo(page, QStringLiteral("cmbFpComplex"));
    for (int c = 0; c < 3; ++c) {
        m_fpComplex->addItem(t(kFpComplexities[c]), c + 1);
    }
    inputs->addWidget(titleLabel, 0, 0);
    inputs->addWidget(kindLabel, 0, 1);
    inputs->addWidget(complexLabel, 0, 2);
    inputs->addWidget(m_fpTitle, 1, 0);
    inputs->addWidget(m_fpKind, 1, 1);
    inputs->addWidget(m_fpComplex, 1, 2);
    inputs->setColumnStretch(0, 3);
    inputs->setColumnStretch(1, 2);
    inputs->setColumnStretch(2, 1);
    layout->addLayout(inputs);

    m_fp = new RowListPanel(page, {QStringLiteral("cmdFpAdd"), QStringLiteral("cmdFpUp"),
                                   QStringLiteral("cmdFpDel"), QStringLiteral("lvwFpList"),
                                   QStringLiteral("cmdFpLUp"), QStringLiteral("cmdFpLDown")});
    m_fp->addTo(layout);
    m_fp->setColumns(fpColumns());
    connect(m_fp, &RowListPanel::applyRow, this, &FunctionEditor::editFpRow);
    connect(m_fp, &RowListPanel::rowClicked, this, &FunctionEditor::fpRowClicked);
    return page;
}

QWidget* FunctionEditor::buildAdjustPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* intro = NamedLabel(page, QStringLiteral("lblFpAdjNote"),
                             QStringLiteral("各項目の「全体への影響度」を０点～５点で評価値を設定します。"
                                            "０点は影響が無い場合、５点は大きく影響する場合です。"));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    for (int i = 0; i < kAdjustFactors; ++i) {
        const int row = i % 7;
        const int column = (i / 7) * 3;
        auto* name = NamedLabel(page, QStringLiteral("lvlFpAdj_%1").arg(i), t(kAdjustNames[i]));
        m_adjust[i] = NamedCombo(page, QStringLiteral("cmbFpAdj_%1").arg(i));
        for (int degree = 0; degree <= 5; ++degree) {
            m_adjust[i]->addItem(QString::number(degree), degree);
        }
        m_adjust[i]->setCurrentIndex(2);
        grid->addWidget(name, row, column);
        grid->addWidget(m_adjust[i], row, column + 1);
        connect(m_adjust[i], &QComboBox::currentIndexChanged, this, &FunctionEditor::recalc);
    }
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);

    auto* formula = new QHBoxLayout;
    formula->addStretch(1);
    formula->addWidget(new QLabel(QStringLiteral("（"), page));
    m_adjustTotal = ValueLabel(page, QStringLiteral("lblFpAdjTotal"), 44);
    formula->addWidget(m_adjustTotal);
    formula->addWidget(new QLabel(
        QStringLiteral("Ｘ %1 ) ＋ %2 ＝").arg(TwoDecimals(kAdjustStep), TwoDecimals(kAdjustBase)), page));
    m_adjustResult = ValueLabel(page, QStringLiteral("lblFpAdjRes"), 50);
    formula->addWidget(m_adjustResult);
    layout->addSpacing(8);
    layout->addLayout(formula);
    layout->addStretch(1);
    return page;
}

QWidget* FunctionEditor::buildCocomoPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* frames = new QHBoxLayout;

    auto* scaleFrame = new QGroupBox(QStringLiteral("スケール要因"), page);
    scaleFrame->setObjectName(QStringLiteral("fraScale"));
    auto* scaleGrid = new QGridLayout(scaleFrame);
    for (int i = 0; i < kScaleDrivers; ++i) {
        auto* caption = NamedLabel(scaleFrame, QStringLiteral("lblCoScale_%1").arg(i), t(kScaleNames[i]));
        caption->setToolTip(t(kScaleTips[i]));
        m_scale[i] = NamedCombo(scaleFrame, QStringLiteral("cmbCoScale_%1").arg(i));
        m_scale[i]->setToolTip(t(kScaleTips[i]));
        m_scaleLabel[i] = ValueLabel(scaleFrame, QStringLiteral("lblCoSVal_%1").arg(i), 44);
        scaleGrid->addWidget(caption, i, 0);
        scaleGrid->addWidget(m_scale[i], i, 1);
        scaleGrid->addWidget(m_scaleLabel[i], i, 2);
        connect(m_scale[i], &QComboBox::currentIndexChanged, this, [this, i] { onScaleChanged(i); });
    }
    scaleGrid->setRowStretch(kScaleDrivers, 1);
    frames->addWidget(scaleFrame, 1);

    auto* costFrame = new QGroupBox(QStringLiteral("コスト要因"), page);
    costFrame->setObjectName(QStringLiteral("fraCost"));
    auto* costGrid = new QGridLayout(costFrame);
    for (int i = 0; i < kCostDrivers; ++i) {
        const int row = i % 9;
        const int column = (i / 9) * 4;
        auto* caption = NamedLabel(costFrame, QStringLiteral("lblCoCost_%1").arg(i), t(kCostNames[i]));
        caption->setToolTip(t(kCostTips[i]));
        m_cost[i] = NamedCombo(costFrame, QStringLiteral("cmbCoCost_%1").arg(i));
        m_cost[i]->setToolTip(t(kCostTips[i]));
        m_costLabel[i] = ValueLabel(costFrame, QStringLiteral("lblCoCVal_%1").arg(i), 44);
        costGrid->addWidget(caption, row, column);
        costGrid->addWidget(m_cost[i], row, column + 1);
        costGrid->addWidget(m_costLabel[i], row, column + 2);
        connect(m_cost[i], &QComboBox::currentIndexChanged, this, [this, i] { onCostChanged(i); });
    }
    costGrid->setColumnMinimumWidth(3, 12);
    frames->addWidget(costFrame, 2);
    layout->addLayout(frames);

    // The formula with the figures it is computed from, each captioned below.
    auto* formula = new QGridLayout;
    formula->setHorizontalSpacing(4);
    int column = 0;
    auto text = [&](const QString& s) { formula->addWidget(new QLabel(s, page), 0, column++); };
    auto figure = [&](QLabel*& target, const QString& name, const QString& caption) {
        target = ValueLabel(page, name, 48);
        formula->addWidget(target, 0, column);
        auto* c = new QLabel(caption, page);
        c->setAlignment(Qt::AlignCenter);
        formula->addWidget(c, 1, column++);
    };
    text(QStringLiteral("(("));
    figure(m_coUfp, QStringLiteral("lblCoUfp"), QStringLiteral("UFP"));
    text(QStringLiteral("×"));
    figure(m_coLang, QStringLiteral("lblCoLang"), QStringLiteral("言語"));
    text(QStringLiteral(") / %1) ↑").arg(kStepsPerKStep));
    figure(m_coScale, QStringLiteral("lblCoSRes"), QStringLiteral("Scale"));
    m_range = new CocomoRangeRow(page);
    formula->addWidget(m_range->constantLabel(), 0, column++);
    figure(m_coCost, QStringLiteral("lblCoCRes"), QStringLiteral("Cost"));
    text(QStringLiteral("×"));
    figure(m_coMtoH, QStringLiteral("lblCoMtoH"), QStringLiteral("人月"));
    text(QStringLiteral("＝"));
    figure(m_coHours, QStringLiteral("lblCoHRes"), QString());
    text(QStringLiteral("時間"));
    formula->setColumnStretch(column, 1);
    layout->addSpacing(6);
    layout->addLayout(formula);
    layout->addWidget(m_range);
    layout->addStretch(1);
    return page;
}

QWidget* FunctionEditor::buildSummary()
{
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("fraSummary"));
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    m_ufp = ValueLabel(box, QStringLiteral("lblUFP"), 64);
    m_fpCoef = ValueLabel(box, QStringLiteral("lblFpCoef"), 64);
    m_adjustedFp = ValueLabel(box, QStringLiteral("lblFP"), 64);
    m_loc = ValueLabel(box, QStringLiteral("lblLoc"), 64);
    m_loc->setToolTip(QStringLiteral("単位：KStep"));
    m_cocomoHour = ValueLabel(box, QStringLiteral("lblCoHour"), 64);
    m_plannedHour = ValueLabel(box, QStringLiteral("lblHour"), 64);
    m_plannedHour->setToolTip(QStringLiteral("入力した見積工数の合計"));
    m_remHour = ValueLabel(box, QStringLiteral("lblRemHour"), 64);
    m_remHour->setToolTip(QStringLiteral("COCOMO工数 - 予想工数計"));

    const struct {
        const char* caption;
        QLabel* value;
        int row;
        int column;
    } cells[] = {
        {"未調整ファンクションポイント", m_ufp, 0, 0},
        {"ファンクションポイント調整係数", m_fpCoef, 1, 0},
        {"ファンクションポイント", m_adjustedFp, 2, 0},
        {"予測ソースステップ数", m_loc, 0, 2},
        {"COCOMO工数：", m_cocomoHour, 0, 4},
        {"見積工数計：", m_plannedHour, 1, 4},
        {"工数差分：", m_remHour, 2, 4},
    };
    for (const auto& c : cells) {
        auto* caption = new QLabel(t(c.caption), box);
        caption->setToolTip(c.value->toolTip());
        grid->addWidget(caption, c.row, c.column);
        grid->addWidget(c.value, c.row, c.column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    return box;
}

// ---------------------------------------------------------------------------------------
// Loading

bool FunctionEditor::runLoad()
{
    // Assignments are priced under the project's price kind: without one they could be neither
    // shown nor priced, and a save would drop them.
    if (m_chargeMode && m_state.CurPriKind == 0) {
        Messages::exclamation(parentWidget(), QStringLiteral("作業費単価未設定"),
                              QStringLiteral("このプロジェクトには作業費単価の種類が設定されていません。\n"
                                             "プロジェクトの編集で設定してください。"));
        return false;
    }
    try {
        WaitCursor wait;
        load();
        return true;
    } catch (const DbError& e) {
        ShowDbError(e, QString(), parentWidget());
    } catch (const std::exception& e) {
        ShowDbError(e, QString(), parentWidget());
    }
    return false;
}

void FunctionEditor::load()
{
    Help::setTopic(this, 50);
    m_loaded = false;
    m_fpKeyCounter = 0;
    DbConnection& conn = *m_state.Conn;

    loadCharges();
    for (int i = 0; i < kCorrectionClasses; ++i) {
        FillDivCombo(conn, m_classCombos[i], Division::FirstClass + i);
    }

    bool first = true;
    for (Recordset rs = OpenRs(conn, QStringLiteral("SELECT * FROM MLANG ORDER BY NSORT,NLANG")); !rs.eof();
         rs.moveNext()) {
        m_lang->addItem(rs.field(QStringLiteral("CLANG")).toString(),
                        rs.field(QStringLiteral("NLANG")).toInt());
        if (first) {
            m_lang->setCurrentIndex(0);
            first = false;
        }
    }

    loadDrivers();
    const std::optional<double> calibrated = StoredCocomoA(conn);
    m_cocomoA = calibrated.value_or(kCocomoA);
    m_range->setConstant(m_cocomoA, calibrated.has_value());
    loadProcesses();
    if (m_state.FuncEditMode == 0) {
        loadNewFunction();
    } else {
        loadExistingFunction();
    }
    m_fpKind->setCurrentIndex(0);
    m_fpComplex->setCurrentIndex(1);
    loadFpList();

    for (int i = 0; i < kCorrectionClasses; ++i) {
        onClassChanged(i);
    }
    lookupLanguage();
    m_loaded = true;
    recalc();
}

void FunctionEditor::loadCharges()
{
    clearCharges();
    if (!m_chargeMode) {
        return;
    }
    DbConnection& conn = *m_state.Conn;
    const QString where = QStringLiteral(" WHERE NPROJECT = ") + num(m_state.CurProject) +
                          QStringLiteral(" AND NFUNCTION = ") + num(m_state.CurFunction);
    const QString sql = QStringLiteral("SELECT * FROM VCHARGE") + where + QStringLiteral(" AND NPRIKIND = ") +
                        num(m_state.CurPriKind) + QStringLiteral(" ORDER BY NPROC, NADD");
    // Each process's assignments are renumbered 1...n in their stored order: a member
    // replacement can leave a gap that would otherwise hide the rows after it.
    int loaded = 0;
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int process = rs.field(QStringLiteral("NPROC")).toInt();
        if (process < 1 || process > kProcessRows) {
            throw loadError(QStringLiteral("担当の工程番号 %1 は見積工数の行にありません。").arg(process),
                            sql);
        }
        int slot = 1;
        while (slot <= kMaxAssignments && m_state.chargeTable[process][slot].NADD != 0) {
            ++slot;
        }
        if (slot > kMaxAssignments) {
            throw loadError(
                QStringLiteral("工程 %1 の担当が%2人を超えています。").arg(process).arg(kMaxAssignments),
                sql);
        }
        ChargeSlot& s = m_state.chargeTable[process][slot];
        s.NADD = slot;
        s.NMEMBER = rs.field(QStringLiteral("NMEMBER")).toInt();
        s.CMEMBER = rs.field(QStringLiteral("CMEMBER")).toString();
        s.NHOUR = ToDbl(rs.field(QStringLiteral("NHOUR")));
        s.NDPRI = ToDbl(rs.field(QStringLiteral("NDPRI")));
        ++loaded;
    }
    // Assignments the view does not show (a project without a price kind) would be lost by
    // the next save; the window refuses to open instead.
    const QString count = QStringLiteral("SELECT COUNT(*) AS CNT FROM TCHARGE") + where;
    Recordset rs = OpenRs(conn, count);
    if (!rs.eof() && rs.field(QStringLiteral("CNT")).toInt() != loaded) {
        throw loadError(QStringLiteral("作業費単価の種類が決まっていないため、担当を読み込めません。"), sql);
    }
}

void FunctionEditor::clearCharges()
{
    applyChargeLayout();
    m_state.chargeTable = ChargeTable{};
}

void FunctionEditor::applyChargeLayout()
{
    while (m_hoursGrid->count() > 0) {
        delete m_hoursGrid->takeAt(0);
    }
    const bool charge = m_chargeMode;
    for (int i = 0; i < kProcessRows; ++i) {
        ProcessRow& r = m_rows[i];
        r.chargedHours->setVisible(charge && r.visible);
        r.assign->setVisible(charge && r.visible);
        for (QWidget* w : {static_cast<QWidget*>(r.hours), static_cast<QWidget*>(r.hoursUnit),
                           static_cast<QWidget*>(r.times), static_cast<QWidget*>(r.unitPrice),
                           static_cast<QWidget*>(r.yenUnit)}) {
            w->setVisible(!charge && r.visible);
        }
        for (QWidget* w : {static_cast<QWidget*>(r.name), static_cast<QWidget*>(r.equals),
                           static_cast<QWidget*>(r.price), static_cast<QWidget*>(r.priceUnit)}) {
            w->setVisible(r.visible);
        }
        r.equals->setText(charge ? QStringLiteral("時間") : QStringLiteral("＝"));
        if (!r.visible) {
            continue;
        }
        m_hoursGrid->addWidget(r.name, i, 0);
        if (charge) {
            m_hoursGrid->addWidget(r.chargedHours, i, 1);
            m_hoursGrid->addWidget(r.equals, i, 2);
            m_hoursGrid->addWidget(r.assign, i, 3, Qt::AlignLeft);
            m_hoursGrid->addWidget(r.price, i, 4);
            m_hoursGrid->addWidget(r.priceUnit, i, 5);
        } else {
            m_hoursGrid->addWidget(r.hours, i, 1);
            m_hoursGrid->addWidget(r.hoursUnit, i, 2);
            m_hoursGrid->addWidget(r.times, i, 3);
            m_hoursGrid->addWidget(r.unitPrice, i, 4);
            m_hoursGrid->addWidget(r.yenUnit, i, 5);
            m_hoursGrid->addWidget(r.equals, i, 6);
            m_hoursGrid->addWidget(r.price, i, 7);
            m_hoursGrid->addWidget(r.priceUnit, i, 8);
        }
    }
    const int priceColumn = charge ? 4 : 7;
    const int chainSpan = charge ? 3 : 6;
    const int first = kProcessRows + 1;
    m_hoursGrid->addWidget(m_hoursLine, kProcessRows, 0, 1, priceColumn + 2);
    m_hoursGrid->addWidget(m_totalRowLabels[0], first, 0);
    m_hoursGrid->addWidget(m_hoursTotal, first, 1);
    m_hoursGrid->addWidget(m_hoursTotalUnit, first, 2);
    m_hoursGrid->addWidget(m_total, first, priceColumn);
    m_hoursGrid->addWidget(m_totalRowLabels[1], first + 1, 0);
    m_hoursGrid->addWidget(m_coefChain, first + 1, 1, 1, chainSpan);
    m_hoursGrid->addWidget(m_correctedTotal, first + 1, priceColumn);
    m_hoursGrid->addWidget(m_totalRowLabels[2], first + 2, 0);
    m_hoursGrid->addWidget(m_discount, first + 2, priceColumn);
    m_hoursGrid->addWidget(m_totalRowLabels[3], first + 3, 0);
    m_hoursGrid->addWidget(m_price, first + 3, priceColumn);
    for (int k = 0; k < 4; ++k) {
        m_hoursGrid->addWidget(m_totalYenLabels[k], first + k, priceColumn + 1);
    }
    m_hoursGrid->setColumnStretch(priceColumn + 2, 1);
}

void FunctionEditor::loadDrivers()
{
    const QString sql = QStringLiteral("SELECT NDKIND, NDRIVER, NDRANK, NVALUE, CNAME") +
                        QStringLiteral(" FROM MCOCOMO C, MDIV D") + QStringLiteral(" WHERE D.NDID = ") +
                        QString::number(Division::CocomoRank) + QStringLiteral(" AND D.NVAL = C.NDRANK") +
                        QStringLiteral(" ORDER BY NDKIND, NDRIVER, NDRANK");
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext()) {
        const int kind = rs.field(QStringLiteral("NDKIND")).toInt();
        const int index = rs.field(QStringLiteral("NDRIVER")).toInt() - 1;
        const int rank = rs.field(QStringLiteral("NDRANK")).toInt();
        const double value = ToDbl(rs.field(QStringLiteral("NVALUE")));
        const int drivers = kind == 1 ? kScaleDrivers : kCostDrivers;
        if (index < 0 || index >= drivers || rank < 0 || rank > 5) {
            throw loadError(QStringLiteral("COCOMOの要因 %1-%2 (ランク %3) は画面にありません。")
                                .arg(kind)
                                .arg(index + 1)
                                .arg(rank),
                            sql);
        }
        QComboBox* box = kind == 1 ? m_scale[index] : m_cost[index];
        if (kind == 1) {
            m_scaleValue[index][rank] = value;
        } else {
            m_costValue[index][rank] = value;
        }
        box->addItem(rs.field(QStringLiteral("CNAME")).toString(), rank);
        // Every driver starts nominal; an existing function's ranks follow from TCOCOMO. A
        // driver left without a selection would be saved as rank 1.
        if (rank == 2) {
            box->setCurrentIndex(box->count() - 1);
        }
    }
}

void FunctionEditor::loadProcesses()
{
    const QString sql = QStringLiteral("SELECT * FROM MDIV WHERE NDID = ") +
                        QString::number(Division::Process) + QStringLiteral(" AND CDEF = '1' ORDER BY NSORT");
    int k = 0;
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext(), ++k) {
        if (k >= kProcessRows) {
            throw loadError(QStringLiteral("使用中の開発工程が%1を超えています。").arg(kProcessRows), sql);
        }
        m_rows[k].name->setText(rs.field(QStringLiteral("CNAME")).toString());
        m_rows[k].code = rs.field(QStringLiteral("NVAL")).toInt();
        m_rows[k].visible = true;
    }
    // A row beyond the processes in use still shows when it holds assignments, so that
    // nothing priced is hidden.
    for (int i = k; i < kProcessRows; ++i) {
        m_rows[i].visible = m_chargeMode && m_state.chargeTable[i + 1][1].NADD != 0;
    }
    applyChargeLayout();
}

void FunctionEditor::loadNewFunction()
{
    m_ok->setText(QStringLiteral("新規保存"));
    m_delete->setEnabled(false);
    const QString sql = QStringLiteral("SELECT * FROM MPRIPROG") + QStringLiteral(" WHERE NPRIKIND = ") +
                        num(m_state.CurPriKind) + QStringLiteral(" AND CCKIND = '1'") +
                        QStringLiteral(" ORDER BY NDKIND");
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext()) {
        const int code = rs.field(QStringLiteral("NDKIND")).toInt();
        for (ProcessRow& r : m_rows) {
            if (r.code == code) {
                r.unitPrice->setText(ToText(rs.field(QStringLiteral("NDPRI"))));
            }
        }
    }
    for (QComboBox* box : m_adjust) {
        box->setCurrentIndex(2);
    }
}

void FunctionEditor::loadExistingFunction()
{
    m_ok->setText(QStringLiteral("更新保存"));
    m_delete->setEnabled(true);
    DbConnection& conn = *m_state.Conn;
    const QString where = QStringLiteral(" WHERE NPROJECT = ") + num(m_state.CurProject) +
                          QStringLiteral(" AND NFUNCTION = ") + num(m_state.CurFunction);

    QString sql = QStringLiteral("SELECT * FROM TFUNCTION") + where;
    Recordset f = OpenRs(conn, sql);
    if (f.eof()) {
        throw loadError(QStringLiteral("機能項目が見つかりません。削除された可能性があります。"), sql);
    }
    m_reserve->setChecked(!f.field(QStringLiteral("CVALID")).isValid());
    m_title->setText(f.field(QStringLiteral("CSFUNC")).toString());
    m_description->setPlainText(f.field(QStringLiteral("CLFUNC")).toString());
    const char* const columns[kCorrectionClasses] = {"NNUP", "NIMP", "NDEF", "NRSK", "NTRM"};
    for (int i = 0; i < kCorrectionClasses; ++i) {
        SelectComboByKey(m_classCombos[i], f.field(t(columns[i])));
    }
    SelectComboByKey(m_lang, f.field(QStringLiteral("NLNG")));
    m_discount->setText(ToText(f.field(QStringLiteral("NDISCOUNT"))));

    sql = QStringLiteral("SELECT * FROM THOUR") + where + QStringLiteral(" ORDER BY NDKIND");
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int code = rs.field(QStringLiteral("NDKIND")).toInt();
        for (ProcessRow& r : m_rows) {
            if (r.code == code) {
                r.hours->setText(ToText(rs.field(QStringLiteral("NHOUR"))));
                r.unitPrice->setText(FormatAmount(rs.field(QStringLiteral("NPRI"))));
            }
        }
    }

    sql = QStringLiteral("SELECT * FROM TFPADJ") + where + QStringLiteral(" ORDER BY NKIND");
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int index = rs.field(QStringLiteral("NKIND")).toInt() - 1;
        if (index < 0 || index >= kAdjustFactors) {
            throw loadError(QStringLiteral("調整係数 %1 は画面にありません。").arg(index + 1), sql);
        }
        SelectComboByKey(m_adjust[index], rs.field(QStringLiteral("NFPADJ")));
    }

    sql = QStringLiteral("SELECT * FROM TCOCOMO") + where + QStringLiteral(" ORDER BY NDKIND,NDRIVER");
    for (Recordset rs = OpenRs(conn, sql); !rs.eof(); rs.moveNext()) {
        const int kind = rs.field(QStringLiteral("NDKIND")).toInt();
        const int index = rs.field(QStringLiteral("NDRIVER")).toInt() - 1;
        const int drivers = kind == 1 ? kScaleDrivers : kCostDrivers;
        if (index < 0 || index >= drivers) {
            throw loadError(
                QStringLiteral("COCOMOの要因 %1-%2 は画面にありません。").arg(kind).arg(index + 1), sql);
        }
        SelectComboByKey(kind == 1 ? m_scale[index] : m_cost[index], rs.field(QStringLiteral("NDRANK")));
    }
}

void FunctionEditor::loadFpList()
{
    m_fp->setColumns(fpColumns());
    const QString sql = QStringLiteral("SELECT * FROM VFP") + QStringLiteral(" WHERE NPROJECT = ") +
                        num(m_state.CurProject) + QStringLiteral(" AND NFUNCTION = ") +
                        num(m_state.CurFunction) + QStringLiteral(" ORDER BY NADD");
    for (Recordset rs = OpenRs(*m_state.Conn, sql); !rs.eof(); rs.moveNext()) {
        const int kind = rs.field(QStringLiteral("NKIND")).toInt();
        const int complexity = rs.field(QStringLiteral("NCOMPLEX")).toInt();
        auto* item = new QTreeWidgetItem(m_fp->list());
        SetItemKey(item, MakeFpKey(m_fpKeyCounter, kind, complexity));
        SetRowTexts(item, {rs.field(QStringLiteral("CTITLE")).toString(), m_fpKind->itemText(kind - 1),
                           m_fpComplex->itemText(complexity - 1), ToText(rs.field(QStringLiteral("NFP")))});
    }
    FitListColumns(m_fp->list());
    recalc();
}

void FunctionEditor::lookupLanguage()
{
    const WaitCursor wait;
    m_langCoef = 0;
    if (m_lang->currentIndex() < 0) {
        return;
    }
    Recordset rs =
        OpenRs(*m_state.Conn, QStringLiteral("SELECT NCOEF FROM MLANG") + QStringLiteral(" WHERE NLANG = ") +
                                  SqlLiteral(ComboKey(m_lang), QStringLiteral("N")));
    if (rs.eof()) {
        return;
    }
    int coefficient = 0;
    if (!LanguageCoefficient(rs.field(QStringLiteral("NCOEF")), &coefficient)) {
        ShowOverflow();
    }
    m_langCoef = coefficient;
}

void FunctionEditor::onLanguageChanged()
{
    if (!m_loaded) {
        return;
    }
    try {
        lookupLanguage();
    } catch (const DbError& e) {
        ShowDbError(e, QString(), this);
    }
    recalc();
}

// ---------------------------------------------------------------------------------------
// Calculation

EstimateInput FunctionEditor::estimateInput() const
{
    EstimateInput in;
    for (int i = 0; i < m_fp->list()->topLevelItemCount(); ++i) {
        in.fpWeights.append(NumberOrZero(m_fp->list()->topLevelItem(i)->text(3)));
    }
    for (int i = 0; i < kAdjustFactors; ++i) {
        in.adjustDegrees[i] = ComboKey(m_adjust[i]);
    }
    in.scaleValues = m_scaleShown;
    in.costValues = m_costShown;
    in.langCoef = m_langCoef;
    in.classCoefficients = m_classCoef;
    in.chargeMode = m_chargeMode;
    for (int i = 0; i < kProcessRows; ++i) {
        in.rowVisible[i] = m_rows[i].visible;
        in.hourTexts[i] = m_rows[i].hours->text();
        in.unitPriceTexts[i] = m_rows[i].unitPrice->text();
    }
    in.charges = &m_state.chargeTable;
    in.discountText = m_discount->text();
    in.mtoH = m_state.policy.MtoH;
    in.cocomoA = m_cocomoA;
    return in;
}

EstimateResult FunctionEditor::currentEstimate() const
{
    return CalculateEstimate(estimateInput());
}

void FunctionEditor::recalc()
{
    if (!m_loaded) {
        return;
    }
    const EstimateResult r = currentEstimate();
    m_ufp->setText(r.ufpText);
    m_coUfp->setText(r.ufpText);
    m_adjustTotal->setText(r.adjustTotalText);
    m_adjustResult->setText(r.vafText);
    m_fpCoef->setText(r.vafText);
    m_adjustedFp->setText(r.fpText);
    m_loc->setText(r.kStepText);
    m_coLang->setText(r.langText);
    m_coScale->setText(r.scaleExpText);
    m_coCost->setText(r.effortMultText);
    m_coMtoH->setText(r.mtoHText);
    m_coHours->setText(r.cocomoHoursText);
    m_cocomoHour->setText(r.cocomoHoursText);
    m_range->showHours(r.cocomoHours);
    for (int i = 0; i < kProcessRows; ++i) {
        m_rows[i].price->setText(r.processPriceText[i]);
        m_rows[i].chargedHours->setText(r.processHoursText[i]);
    }
    m_total->setText(r.totalText);
    m_correction->setText(r.correctionText);
    m_correctedTotal->setText(r.correctedTotalText);
    m_price->setText(r.priceText);
    m_hoursTotal->setText(r.plannedHoursText);
    m_plannedHour->setText(r.plannedHoursText);
    m_remHour->setText(r.remainingHoursText);
    QPalette palette = m_remHour->palette();
    palette.setColor(QPalette::WindowText, r.remainingHoursText.startsWith(QLatin1Char('-'))
                                               ? QColor(Qt::red)
                                               : this->palette().color(QPalette::WindowText));
    m_remHour->setPalette(palette);

    // One warning per overflowing entry, not one per keystroke or page switch.
    QString overflow;
    for (const int row : r.overflowRows) {
        overflow += num(row) + QLatin1Char('=') + m_rows[row].hours->text() + QLatin1Char(';');
    }
    if (r.totalOverflow) {
        overflow += QStringLiteral("total");
    }
    if (!overflow.isEmpty() && overflow != m_shownOverflow) {
        ShowOverflow();
    }
    m_shownOverflow = overflow;
}

// ---------------------------------------------------------------------------------------
// Events

void FunctionEditor::onTabChanged(int index)
{
    if (index >= 0 && index < 5) {
        Help::setTopic(this, kPageTopics[index]);
    }
    if (index == 1) {
        recalc();
    }
}

void FunctionEditor::onClassChanged(int index)
{
    const WaitCursor wait;
    const int code = m_classCombos[index]->currentIndex() < 0 ? -1 : ComboKey(m_classCombos[index]);
    try {
        const int division = Division::FirstClass + index;
        m_coefLabels[index]->setText(DivValue(*m_state.Conn, division, code, QStringLiteral("NCOEF")));
        m_classCoef[index] = DivNumber(*m_state.Conn, division, code, QStringLiteral("NCOEF"));
    } catch (const DbError& e) {
        ShowDbError(e, QString(), this);
    }
    recalc();
}

void FunctionEditor::onScaleChanged(int index)
{
    const int rank = m_scale[index]->currentData().toInt();
    const double value = m_scale[index]->currentIndex() < 0 ? 0.0 : m_scaleValue[index][rank];
    m_scaleShown[index] = value;
    m_scaleLabel[index]->setText(TwoDecimals(value));
    recalc();
}

void FunctionEditor::onCostChanged(int index)
{
    const int rank = m_cost[index]->currentData().toInt();
    const double value = m_cost[index]->currentIndex() < 0 ? 0.0 : m_costValue[index][rank];
    m_costShown[index] = value;
    m_costLabel[index]->setText(TwoDecimals(value));
    recalc();
}

void FunctionEditor::fpRowClicked(QTreeWidgetItem* item)
{
    const QString key = ItemKey(item);
    m_fpTitle->setText(item->text(0));
    SelectComboByKey(m_fpKind, FpKeyKind(key));
    SelectComboByKey(m_fpComplex, FpKeyComplex(key));
    m_fp->chooseRow(item);
}

void FunctionEditor::editFpRow(int op)
{
    const WaitCursor wait;
    if (op == 2) {
        m_fp->removeChosenRow();
        recalc();
        return;
    }
    const QString title = m_fpTitle->text();
    if (title.isEmpty()) {
        Messages::information(this, QStringLiteral("入力確認"), QStringLiteral("表題は必須入力です。"));
        return;
    }
    if (!CheckTextBox(this, m_state.conn().engine(), QStringLiteral("表題"), m_fpTitle)) {
        return;
    }
    if (!ListTextFree(m_fp->list(), title, op)) {
        Messages::exclamation(this, QStringLiteral("重複"),
                              QStringLiteral("同名の表題が既に登録されています。"));
        return;
    }
    const int kind = ComboKey(m_fpKind);
    const int complexity = ComboKey(m_fpComplex);
    QString weight;
    const QString sql = QStringLiteral("SELECT NFP FROM MFPMATRIX") + QStringLiteral(" WHERE NKIND = ") +
                        num(kind) + QStringLiteral(" AND NCOMPLEX = ") + num(complexity);
    try {
        Recordset rs = OpenRs(*m_state.Conn, sql);
        if (rs.eof()) {
            throw DbError(DbError::Other, QStringLiteral("この種類と複雑度のポイントが登録されていません。"),
                          sql);
        }
        weight = ToText(rs.field(QStringLiteral("NFP")));
    } catch (const DbError& e) {
        ShowDbError(e, QString(), this);
        return;
    }

    QTreeWidgetItem* item = m_fp->rowToEnter(op);
    if (!item) {
        return;
    }
    // The edited row becomes the chosen one, so that the next update's duplicate check skips
    // this row and no other.
    m_fp->enterRow(item, MakeFpKey(m_fpKeyCounter, kind, complexity),
                   {title, m_fpKind->currentText(), m_fpComplex->currentText(), weight});
    recalc();
}

void FunctionEditor::openAssignments(int row)
{
    m_state.ChargeProc = row + 1;
    std::optional<WaitCursor> loading(std::in_place);
    WorkAssignment dialog(m_state, this);
    loading.reset();
    dialog.setProcessName(m_rows[row].name->text());
    if (dialog.isReady()) {
        dialog.exec();
    }
    recalc();
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

// ---------------------------------------------------------------------------------------
// Saving

bool FunctionEditor::checkInputs()
{
    if (m_title->text().isEmpty()) {
        Messages::required(this, m_titleLabel->text());
        return false;
    }
    const Engine engine = m_state.conn().engine();
    if (!CheckTextBox(this, engine, m_titleLabel->text(), m_title) ||
        !CheckTextBox(this, engine, QStringLiteral("説明"), m_description)) {
        m_tabs->setCurrentIndex(0);
        return false;
    }
    if (!m_chargeMode) {
        for (ProcessRow& r : m_rows) {
            if (r.code == 0) {
                continue;
            }
            if (!CheckWholeNumberBox(this, r.name->text() + QStringLiteral("の工数"), r.hours) ||
                !CheckNumberBox(this, r.name->text() + QStringLiteral("の単価"), r.unitPrice)) {
                m_tabs->setCurrentIndex(1);
                return false;
            }
        }
    }
    if (!CheckNumberBox(this, QStringLiteral("値引き"), m_discount)) {
        m_tabs->setCurrentIndex(1);
        return false;
    }
    return true;
}

FunctionData FunctionEditor::collect(const EstimateResult& r) const
{
    FunctionData d;
    d.onHold = m_reserve->isChecked();
    d.nup = ComboKey(m_classCombos[0]);
    d.imp = ComboKey(m_classCombos[1]);
    d.def = ComboKey(m_classCombos[2]);
    d.rsk = ComboKey(m_classCombos[3]);
    d.trm = ComboKey(m_classCombos[4]);
    d.lang = ComboKey(m_lang);
    d.title = m_title->text();
    d.description = m_description->toPlainText();
    d.discount = NumberOrZero(m_discount->text());
    d.hoursTotal = r.savedHours();
    d.total = r.savedTotal();
    d.price = r.savedPrice();
    for (int i = 0; i < m_fp->list()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_fp->list()->topLevelItem(i);
        const QString key = ItemKey(item);
        d.fpRows.append({item->text(0), FpKeyKind(key), FpKeyComplex(key)});
    }
    for (int i = 0; i < kAdjustFactors; ++i) {
        d.adjust[i] = ComboKey(m_adjust[i]);
    }
    for (int i = 0; i < kScaleDrivers; ++i) {
        d.scaleRanks[i] = ComboKey(m_scale[i]);
    }
    for (int i = 0; i < kCostDrivers; ++i) {
        d.costRanks[i] = ComboKey(m_cost[i]);
    }
    for (const ProcessRow& r : m_rows) {
        if (r.code != 0) {
            d.hours.append({r.code, r.hours->text(), r.unitPrice->text()});
        }
    }
    return d;
}

namespace {

// The save of the editor: a failure is reported with the statement that failed, or for an error
// that names none, the statement that ran last.
bool SaveFunctionData(AppState& state, int mode, const FunctionData& data, QWidget* parent)
{
    QString last;
    try {
        WriteFunctionData(state, mode, data, &last);
        return true;
    } catch (const DbError& e) {
        ShowDbError(e, e.statement().isEmpty() ? last : e.statement(), parent);
    } catch (const std::exception& e) {
        ShowDbError(e, last, parent);
    }
    return false;
}

} // namespace

bool FunctionEditor::saveFunction(int mode)
{
    FunctionData data;
    if (mode != SaveDelete) {
        if (!checkInputs()) {
            return false;
        }
        const EstimateResult r = currentEstimate();
        if (r.overflow()) {
            ShowOverflow();
            m_tabs->setCurrentIndex(1);
            return false;
        }
        data = collect(r);
    }
    WaitCursor wait;
    if (!SaveFunctionData(m_state, mode, data, this)) {
        return false;
    }
    closeSaved();
    return true;
}
