#include "windowfixture.h"

#include "app/dialogs.h"
#include "device/delays.h"
#include "testenv.h"
#include "windowlook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

namespace windowfixture {

std::shared_ptr<emu::Wheel> plug(emu::Model model, std::uint16_t productId, const QString &name)
{
    auto wheel = emu::plug(model, productId);
    if (!name.isEmpty())
        wheel->setName(name.toStdString());
    return wheel;
}

bool waitConnected(QWidget &window, int timeoutMs)
{
    // Short steps: the benchmarks time the connection with this.
    QElapsedTimer clock;
    clock.start();
    while (!windowlook::isConnected(window) && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return windowlook::isConnected(window);
}

QStringList shownBoxes()
{
    QStringList shown;
    for (const dialogs::ShownBox &box : dialogs::script::boxes())
        shown << box.title + '|' + box.text;
    return shown;
}

} // namespace windowfixture

MainWindow &WindowTest::connectWindow()
{
    window = std::make_unique<MainWindow>();
    window->show();
    if (!windowfixture::waitConnected(*window))
        QTest::qFail(qPrintable("not connected: " + windowlook::describe(*window)), __FILE__,
                     __LINE__);
    return *window;
}

void WindowTest::initTestCase()
{
    testenv::isolate(divisor);
}

void WindowTest::cleanup()
{
    window.reset();
    const int misuses = emu::misuseCount();
    emu::reset();
    dialogs::script::reset();
    testenv::clearSettings();
    delays::setTestDivisor(divisor);
    QCOMPARE(misuses, 0);
}
