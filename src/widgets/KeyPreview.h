#pragma once
// Lets a window see every key press made in it before the focused control does, without
// taking the key away from that control.

#include <QObject>
#include <functional>

class QWidget;

namespace formulix {

// Windows virtual-key codes for the keys the program reacts to.
enum KeyCode { KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40 };

// The Windows key code of a Qt key, 0 when it has none we use.
int windowsKeyCode(int qtKey);

class KeyPreview : public QObject
{
    Q_OBJECT
public:
    // `handler` gets the key code and the shift mask (1 Shift, 2 Ctrl, 4 Alt).
    KeyPreview(QWidget *window, std::function<void(int keyCode, int shift)> handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    std::function<void(int, int)> m_handler;
};

} // namespace formulix
