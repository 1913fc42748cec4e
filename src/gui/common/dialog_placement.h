#pragma once

#include <QDialog>

struct Policy;

// The frame the window manager has drawn around a shown window (none before it is shown or
// without a window manager), and the place of that frame's top-left corner.
QMargins WindowFrame(const QWidget* window);
QPoint FramePosition(const QWidget* window);

// Editor dialogs open where the last of them was closed ("SubLeft", "SubTop" in twips, section
// "Settings": the place of the window's frame); with no stored place, centred on the screen. A
// stored place that would put the dialog out of reach (another monitor, a larger screen) is
// pulled back inside the screen. Placed before the window is shown, so that the window manager
// puts the frame, not the inside of the window, at the stored place.
void RestoreSubPos(QWidget* dialog);
void SaveSubPos(const QWidget* dialog);

// The room the screen's available area leaves for the inside of the window, once its frame is
// taken off. No window is larger: a larger one is made smaller (its pages scroll) before it is
// shown.
QSize ScreenRoom(const QWidget* window);

// Asks before an editor closes without saving when the policy "Cancel" is on: "変更せずに終了
// します。" (updating != 0) or "保存せずに終了します。", then "よろしいですか。". true when the
// dialog may close.
bool ConfirmClose(const Policy& policy, int updating, QWidget* parent);

// A modal editor fitted to the screen and placed by RestoreSubPos as it is first shown, and
// stored by SaveSubPos when it closes.
class PlacedDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlacedDialog(QWidget* parent = nullptr);
    void setVisible(bool visible) override;
    void done(int result) override;

protected:
    // Makes the window fit the room the screen leaves (its frame already taken off): by default
    // the window is made smaller, as far as its layout lets it.
    virtual void fitInto(const QSize& room);

private:
    bool m_placed = false;
};

// An editor that asks through ConfirmClose before it closes without saving: its cancel
// button, Esc and the window's close button all come through reject().
class GuardedDialog : public PlacedDialog {
    Q_OBJECT
public:
    GuardedDialog(const Policy& policy, QWidget* parent = nullptr);
    void reject() override;

protected:
    // Non-zero when an existing record is being edited.
    virtual int updatingMode() const = 0;
    // Closes after a save, without asking.
    void closeSaved() { accept(); }

private:
    const Policy& m_policy;
};
