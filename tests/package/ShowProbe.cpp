#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QIcon>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace tunecrate {
namespace {

// When the first top-level window of the program it is loaded into is exposed,
// prints what a user would see of it and ends the program. Qt loads it through
// QT_QPA_GENERIC_PLUGINS, so the program needs no hook of its own.
class ShowProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (reported_ || event->type() != QEvent::Expose || window == nullptr ||
            !window->isTopLevel() || !window->isVisible()) {
            return false;
        }
        reported_ = true;
        QStringList iconSizes;
        for (const QSize& size : window->icon().availableSizes()) {
            iconSizes << QString::number(size.width());
        }
        const QString report =
            QStringLiteral("shown: \"%1\", %2x%3, icon %4, desktop file %5\n")
                .arg(window->title())
                .arg(window->width())
                .arg(window->height())
                .arg(iconSizes.isEmpty() ? QStringLiteral("none") : iconSizes.join(u' '),
                     QGuiApplication::desktopFileName());
        std::fputs(report.toUtf8().constData(), stdout);
        std::fflush(stdout);
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        return false;
    }

private:
    bool reported_ = false;
};

} // namespace

class ShowProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "showprobe.json")

public:
    QObject* create(const QString& key, const QString& parameters) override
    {
        Q_UNUSED(parameters)
        QCoreApplication* application = QCoreApplication::instance();
        if (key.compare(QStringLiteral("showprobe"), Qt::CaseInsensitive) != 0 ||
            application == nullptr) {
            return nullptr;
        }
        // The application deletes the plugins' objects when it ends, so no parent.
        auto* probe = new ShowProbe;
        application->installEventFilter(probe);
        return probe;
    }
};

} // namespace tunecrate

#include "ShowProbe.moc"
