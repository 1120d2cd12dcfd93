// The behaviours both windows share (ViewContract.h), over the Qt window on
// Qt's offscreen platform.

#include "SystemDialogs.h"
#include "ViewContract.h"
#include "WindowTest.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <stdexcept>

namespace tunecrate::test {
namespace {

class QtView {
public:
    QtView() : window_(startWindow(fake))
    {
        if (!QTest::qWaitForWindowActive(window_.get())) {
            throw std::runtime_error("the window did not become active");
        }
    }

    void setDialogs(Dialogs dialogs) { window_->setDialogs(std::move(dialogs)); }
    [[nodiscard]] Dialogs systemDialogs() { return tunecrate::systemDialogs(window_.get()); }
    void answerNextQuestion(const char* button)
    {
        whenDialogShows<QDialog>([caption = QString::fromUtf8(button)](QDialog& dialog) {
            for (QAbstractButton* shown : dialog.findChildren<QAbstractButton*>()) {
                if (shown->text() == caption) {
                    shown->click();
                    return;
                }
            }
            ADD_FAILURE() << "no button " << caption.toStdString();
            dialog.reject();
        });
    }
    void setText(const char* box, const std::string& text)
    {
        control<QLineEdit>(*window_, box)->setText(QString::fromStdString(text));
    }
    void click(const char* name)
    {
        QTest::mouseClick(control<QAbstractButton>(*window_, name), Qt::LeftButton);
    }
    void close() { window_->close(); }
    [[nodiscard]] bool isOpen() const { return window_->isVisible(); }
    [[nodiscard]] std::string logBox() const
    {
        QString text = control<QPlainTextEdit>(*window_, "txtPlaylist")->toPlainText();
        return text.replace(u'\n', QStringLiteral("\r\n")).toStdString();
    }
    [[nodiscard]] std::string panel(int number) const
    {
        return window_->findChild<QLabel*>(QStringLiteral("panel%1").arg(number))
            ->text()
            .toStdString();
    }
    [[nodiscard]] int bar() const { return control<QProgressBar>(*window_, "pgbCopy")->value(); }
    [[nodiscard]] std::string logText() const { return window_->logText(); }
    // A timer without interval fires at every pass of the event loop.
    void duringCopy(int copy, std::function<void()> action)
    {
        auto* watch = new QTimer(window_.get());
        QObject::connect(watch, &QTimer::timeout, window_.get(),
                         [this, watch, copy, action = std::move(action)] {
                             if (copyUnderWay(window_->logText(), copy)) {
                                 watch->stop();
                                 watch->deleteLater();
                                 action();
                             }
                         });
        watch->start(0);
    }

    FakeDialogs fake;

private:
    std::unique_ptr<frmPlaylistExporter> window_;
};

} // namespace

using QtWindow = ::testing::Types<QtView>;
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ViewContract, QtWindow);

} // namespace tunecrate::test

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
