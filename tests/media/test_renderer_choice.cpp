// OpenGL only where a graphics processor stands behind it, unless chosen by
// hand.

#include "media/renderer_choice.h"

#include <QTest>

using renderer_choice::choose;
using renderer_choice::Machine;
using renderer_choice::Renderer;

class TestRendererChoice : public QObject
{
    Q_OBJECT

private slots:
    void openGLOnlyWithAGraphicsProcessor()
    {
        const QStringList gpu{"/dev/dri/renderD128"};
        QCOMPARE(choose({"", false, gpu}), Renderer::OpenGL);
        QCOMPARE(choose({"", false, {"/dev/nvidiactl"}}), Renderer::OpenGL);
        QCOMPARE(choose({"", false, {}}), Renderer::Software);
        QCOMPARE(choose({"", true, gpu}), Renderer::Software);
        // A request by hand wins either way; anything else is no request.
        QCOMPARE(choose({" OpenGL ", true, {}}), Renderer::OpenGL);
        QCOMPARE(choose({"software", false, gpu}), Renderer::Software);
        QCOMPARE(choose({"vulkan", false, gpu}), Renderer::OpenGL);
    }
};

QTEST_APPLESS_MAIN(TestRendererChoice)

#include "test_renderer_choice.moc"
