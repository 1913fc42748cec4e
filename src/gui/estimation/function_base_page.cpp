#include "estimation/function_base_page.h"

#include "common/form_widgets.h"
#include "common/messages.h"
#include "common/text_limits.h"
#include "estimation/choice_combo.h"
#include "function/function_draft.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

const char* const kClassCombos[kCorrectionClasses] = {"cmbNUp", "cmbImp", "cmbDef", "cmbRsk", "cmbTrm"};
const char* const kClassCaptions[kCorrectionClasses] = {"新・改", "重要度", "難易度", "安全性", "期間"};

} // namespace

FunctionBasePage::FunctionBasePage(FunctionDraft& draft, QWidget* parent) : QWidget(parent), m_draft(draft)
{
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("機能項目詳細"), this);
    frame->setObjectName(QStringLiteral("fraDetail"));
    auto* grid = new QGridLayout(frame);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    m_titleLabel = NamedLabel(frame, QStringLiteral("Label6"), QStringLiteral("機能項目表題"));
    m_title = NamedBox(frame, QStringLiteral("txtSFunc"));
    LimitText(m_title, 100);
    grid->addWidget(m_titleLabel, 0, 0);
    grid->addWidget(m_title, 0, 1, 1, 3);
    connect(m_title, &QLineEdit::textChanged, this, [this] { m_draft.setTitle(m_title->text()); });

    grid->addWidget(new QLabel(QStringLiteral("説明"), frame), 1, 0, Qt::AlignTop);
    m_description = new QPlainTextEdit(frame);
    m_description->setObjectName(QStringLiteral("txtLFunc"));
    m_description->setTabChangesFocus(true);
    LimitText(m_description, 2000);
    grid->addWidget(m_description, 1, 1, 1, 3);
    connect(m_description, &QPlainTextEdit::textChanged, this,
            [this] { m_draft.setDescription(m_description->toPlainText()); });

    for (int i = 0; i < kCorrectionClasses; ++i) {
        m_classes[i] = NamedCombo(frame, QString::fromLatin1(kClassCombos[i]));
        const int row = 2 + i / 2;
        const int column = (i % 2) * 2;
        grid->addWidget(new QLabel(QString::fromUtf8(kClassCaptions[i]), frame), row, column);
        grid->addWidget(m_classes[i], row, column + 1);
        connect(m_classes[i], &QComboBox::currentIndexChanged, this,
                [this, i](int index) { m_draft.chooseClass(i, index); });
    }
    m_lang = NamedCombo(frame, QStringLiteral("cmbLang"));
    m_lang->setToolTip(QStringLiteral("FP-LOC変換係数に影響します。"));
    auto* langLabel = NamedLabel(frame, QStringLiteral("lblLang"), QStringLiteral("言語"));
    langLabel->setToolTip(m_lang->toolTip());
    grid->addWidget(langLabel, 4, 2);
    grid->addWidget(m_lang, 4, 3);
    connect(m_lang, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_draft.chooseLanguage(index); });

    m_reserve = new QCheckBox(QStringLiteral("保留"), frame);
    m_reserve->setObjectName(QStringLiteral("chkReserve"));
    m_reserve->setToolTip(QStringLiteral("チェックすると、工数や費用の計算対象外になります。"));
    grid->addWidget(m_reserve, 5, 1);
    connect(m_reserve, &QCheckBox::toggled, this, [this](bool on) { m_draft.setOnHold(on); });
    layout->addWidget(frame);
}

void FunctionBasePage::showDraft()
{
    // The texts are set through their boxes, which keep them within their limits; the draft
    // follows what the boxes hold.
    m_title->setText(m_draft.title());
    m_description->setPlainText(m_draft.description());
    m_reserve->setChecked(m_draft.onHold());
    for (int i = 0; i < kCorrectionClasses; ++i) {
        ShowChoice(m_classes[i], m_draft.correctionClass(i));
    }
    ShowChoice(m_lang, m_draft.language());
}

bool FunctionBasePage::checkTitle()
{
    if (m_title->text().isEmpty()) {
        Messages::required(this, m_titleLabel->text());
        return false;
    }
    return true;
}

bool FunctionBasePage::checkTexts(Engine engine)
{
    return CheckTextBox(this, engine, m_titleLabel->text(), m_title) &&
           CheckTextBox(this, engine, QStringLiteral("説明"), m_description);
}
