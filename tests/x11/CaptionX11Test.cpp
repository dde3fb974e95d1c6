// Window captions as the desktop shows them: exactly the window's own text.
#include "OtherProcess.h"

#include "mainwin/AppIdentity.h"
#include "mainwin/Paste.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tavik::testing {
namespace {

TEST(X11Caption, IsTheWindowsOwnTextAlone) {
    SetApplicationIdentity();
    TPasteForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QByteArray name =
        RunOther("xprop", {"-id", QString::number(form.winId()), "_NET_WM_NAME"});
    EXPECT_EQ(name.toStdString(), "_NET_WM_NAME(UTF8_STRING) = \"Paste image\"\n");
}

} // namespace
} // namespace tavik::testing
