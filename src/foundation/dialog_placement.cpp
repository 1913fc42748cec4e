#include "foundation/dialog_placement.h"

#include "foundation/conversions.h"
#include "foundation/messages.h"
#include "foundation/settings_store.h"
#include "foundation/twips.h"
#include "pricing/policy.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

const QString kApp = QStringLiteral("VORNA");
const QString kSection = QStringLiteral("Settings");

QRect availableArea(const QWidget* dialog)
{
    QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// A stored twips value; a value that is missing or not a number gives the fallback.
int storedPixels(const QString& key, int fallback)
{
    double twips = 0;
    if (!ParseNumber(GetSetting(kApp, kSection, key), &twips)) {
        return fallback;
    }
    return static_cast<int>(twips / kTwipsPerPixel);
}

} // namespace

void RestoreSubPos(QWidget* dialog)
{
    const QRect area = availableArea(dialog);
    const QSize size = dialog->frameGeometry().size();
    const int centredLeft = area.x() + (area.width() - size.width()) / 2;
    const int centredTop = area.y() + (area.height() - size.height()) / 2;
    int left = storedPixels(QStringLiteral("SubLeft"), centredLeft);
    int top = storedPixels(QStringLiteral("SubTop"), centredTop);
    // Keep the dialog within reach: a place stored on a larger or second monitor is pulled
    // back so that the whole dialog (or at least its top-left part) is on this screen.
    left = qMax(area.left(), qMin(left, area.right() + 1 - size.width()));
    top = qMax(area.top(), qMin(top, area.bottom() + 1 - size.height()));
    dialog->move(left, top);
}

void SaveSubPos(const QWidget* dialog)
{
    const SettingValues place{{QStringLiteral("SubLeft"), PlainNumber(PixelsToTwips(dialog->x()))},
                              {QStringLiteral("SubTop"), PlainNumber(PixelsToTwips(dialog->y()))}};
    if (!SaveSettings(kApp, kSection, place)) {
        Messages::settingsNotSaved(const_cast<QWidget*>(dialog));
    }
}

bool ConfirmClose(const Policy& policy, int updating, QWidget* parent)
{
    if (!policy.Cancel) {
        return true;
    }
    const QString first =
        updating != 0 ? QStringLiteral("変更せずに終了します。") : QStringLiteral("保存せずに終了します。");
    const auto answer =
        Messages::question(parent, QStringLiteral("確認"), first + QStringLiteral("\nよろしいですか。"),
                           QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    return answer == QMessageBox::Ok;
}

PlacedDialog::PlacedDialog(QWidget* parent) : QDialog(parent)
{
}

void PlacedDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        RestoreSubPos(this);
    }
}

void PlacedDialog::done(int result)
{
    if (m_placed) {
        SaveSubPos(this);
    }
    QDialog::done(result);
}

GuardedDialog::GuardedDialog(const Policy& policy, QWidget* parent) : PlacedDialog(parent), m_policy(policy)
{
}

void GuardedDialog::reject()
{
    if (ConfirmClose(m_policy, updatingMode(), this)) {
        PlacedDialog::reject();
    }
}
