#include "common/dialog_placement.h"

#include "common/messages.h"
#include "common/twips.h"
#include "convert/conversions.h"
#include "settings/policy.h"
#include "settings/settings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWindow>

namespace {

QRect availableArea(const QWidget* dialog)
{
    QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The frame the window manager adds: the window's own once it has been shown; before that the
// one of the window it belongs to, or of any other window of the program.
QMargins frameOf(const QWidget* window)
{
    QWidgetList windows{const_cast<QWidget*>(window)};
    if (QWidget* owner = window->parentWidget()) {
        windows << owner->window();
    }
    windows << QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        const QMargins frame = WindowFrame(w);
        if (!frame.isNull()) {
            return frame;
        }
    }
    return QMargins();
}

// A stored twips value; a value that is missing or not a number gives the fallback.
int storedPixels(Settings::Key key, int fallback)
{
    double twips = 0;
    if (!ParseNumber(Settings::text(key), &twips)) {
        return fallback;
    }
    return static_cast<int>(twips / kTwipsPerPixel);
}

} // namespace

QMargins WindowFrame(const QWidget* window)
{
    // The widget's own frame figures are only brought up to date when the window moves or is
    // resized, so a frame drawn after the last of those would be missed: the platform window
    // asks the window manager. The widget's figures stay for a window shown before and hidden.
    if (const QWindow* handle = window->windowHandle()) {
        const QMargins frame = handle->frameMargins();
        if (!frame.isNull()) {
            return frame;
        }
    }
    const QRect frame = window->frameGeometry();
    const QRect inside = window->geometry();
    return QMargins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                    frame.bottom() - inside.bottom());
}

QPoint FramePosition(const QWidget* window)
{
    const QMargins frame = WindowFrame(window);
    return window->geometry().topLeft() - QPoint(frame.left(), frame.top());
}

void RestoreSubPos(QWidget* dialog)
{
    const QRect area = availableArea(dialog);
    const QMargins frame = frameOf(dialog);
    const QSize size = dialog->size().grownBy(frame);
    const int centredLeft = area.x() + (area.width() - size.width()) / 2;
    const int centredTop = area.y() + (area.height() - size.height()) / 2;
    int left = storedPixels(Settings::SubLeft, centredLeft);
    int top = storedPixels(Settings::SubTop, centredTop);
    // Keep the dialog within reach: a place stored on a larger or second monitor is pulled
    // back so that the whole dialog (or at least its top-left part) is on this screen.
    left = qMax(area.left(), qMin(left, area.right() + 1 - size.width()));
    top = qMax(area.top(), qMin(top, area.bottom() + 1 - size.height()));
    dialog->move(left, top);
}

QSize ScreenRoom(const QWidget* window)
{
    return availableArea(window).size().shrunkBy(frameOf(window));
}

void SaveSubPos(const QWidget* dialog)
{
    const QPoint place = FramePosition(dialog);
    if (!Settings::write({{Settings::SubLeft, PlainNumber(PixelsToTwips(place.x()))},
                          {Settings::SubTop, PlainNumber(PixelsToTwips(place.y()))}})) {
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

void PlacedDialog::setVisible(bool visible)
{
    if (visible && !m_placed) {
        m_placed = true;
        ensurePolished();
        if (!testAttribute(Qt::WA_Resized) && sizeHint().isValid()) {
            // What the layout asks for, as far as the screen allows (adjustSize would stop at
            // two thirds of the screen, and a small screen would scroll the pages early).
            resize(sizeHint().boundedTo(ScreenRoom(this)).expandedTo(minimumSizeHint()));
        }
        // The layout's minimum decides the size the window is shown at, so place it by that.
        if (layout()) {
            layout()->activate();
        }
        const QSize room = ScreenRoom(this);
        if (width() > room.width() || height() > room.height()) {
            fitInto(room);
        }
        RestoreSubPos(this);
    }
    QDialog::setVisible(visible);
}

void PlacedDialog::fitInto(const QSize& room)
{
    resize(size().boundedTo(room).expandedTo(minimumSize()));
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
