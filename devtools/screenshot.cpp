#include "screenshot.h"

#include "render/gl_view.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace tessel {

namespace {

void send(QWidget* target, QEvent& event) { QApplication::sendEvent(target, &event); }

void clickCorner(GLView* view) {
    const QPointF spot(4, 4);
    const QPointF global = view->mapToGlobal(spot);
    QMouseEvent press(QEvent::MouseButtonPress, spot, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, spot, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    send(view, press);
    send(view, release);
}

// A drag with `button` between two points given as fractions of the viewport's size.
void drag(GLView* view, QPointF from, QPointF to, Qt::MouseButton button) {
    const auto at = [view](QPointF fraction) {
        return QPointF(fraction.x() * view->width(), fraction.y() * view->height());
    };
    const int steps = 8;
    QMouseEvent press(QEvent::MouseButtonPress, at(from), view->mapToGlobal(at(from)), button,
                      button, Qt::NoModifier);
    send(view, press);
    for (int i = 1; i <= steps; ++i) {
        const QPointF spot = at(from + (to - from) * (double(i) / steps));
        QMouseEvent move(QEvent::MouseMove, spot, view->mapToGlobal(spot), Qt::NoButton, button,
                         Qt::NoModifier);
        send(view, move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, at(to), view->mapToGlobal(at(to)), button,
                        Qt::NoButton, Qt::NoModifier);
    send(view, release);
}

void type(GLView* view, const QString& keys) {
    for (QChar key : keys) {
        // Letters and digits carry their key code, as a keyboard's do.
        const int code = key.isLetterOrNumber() ? key.toUpper().unicode() : 0;
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(key));
        send(view, press);
    }
}

// Plays one step; false when it is not understood.
bool play(MainWindow& window, const QString& step) {
    if (step.size() < 2 || step[0] < QLatin1Char('1') || step[0] > QLatin1Char('4')) {
        return false;
    }
    GLView* view = window.viewports()[static_cast<size_t>(step[0].digitValue() - 1)];
    const QString rest = step.mid(2);
    if (step[1] == QLatin1Char(':')) {
        clickCorner(view);
        type(view, rest);
        return true;
    }
    if (step[1] == QLatin1Char('>') || step[1] == QLatin1Char(')')) {
        const QStringList numbers = rest.split(QLatin1Char(','));
        if (numbers.size() != 4) {
            return false;
        }
        double v[4];
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            v[i] = numbers[i].toDouble(&ok);
            if (!ok) {
                return false;
            }
        }
        drag(view, {v[0], v[1]}, {v[2], v[3]},
             step[1] == QLatin1Char('>') ? Qt::LeftButton : Qt::RightButton);
        return true;
    }
    if (step[1] == QLatin1Char('/')) {
        auto* button = window.findChild<QAbstractButton*>(rest + QLatin1String("Button"));
        if (button == nullptr) {
            return false;
        }
        clickCorner(view);
        button->click();
        return true;
    }
    return false;
}

} // namespace

void scheduleScreenshot(MainWindow& window, const QString& path, const QString& steps) {
    // Give the window time to be mapped and drawn once before posing it.
    QTimer::singleShot(500, &window, [&window, path, steps] {
        for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!play(window, step)) {
                qWarning("screenshot: step '%s' not understood", qPrintable(step));
                QApplication::exit(1);
                return;
            }
        }
        QTimer::singleShot(500, &window, [&window, path] {
            QApplication::exit(window.grab().save(path) ? 0 : 1);
        });
    });
}

} // namespace tessel
