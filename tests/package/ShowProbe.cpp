#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace tunecrate {
namespace {

// When the first top-level window of the program it is loaded into is exposed,
// prints what a user would see of it, the playlist box's text included, and
// ends the program. Qt loads it through QT_QPA_GENERIC_PLUGINS, so the program
// needs no hook of its own. The probe links no widgets: it meets the box as
// the object named txtPathfrom when it is shown, and reads its text property.
class ShowProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show &&
            watched->objectName() == QLatin1StringView("txtPathfrom")) {
            pathFrom_ = watched;
        }
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
            QStringLiteral("shown: \"%1\", %2x%3, icon %4, desktop file %5, txtPathfrom \"%6\"\n")
                .arg(window->title())
                .arg(window->width())
                .arg(window->height())
                .arg(iconSizes.isEmpty() ? QStringLiteral("none") : iconSizes.join(u' '),
                     QGuiApplication::desktopFileName(),
                     pathFrom_.isNull() ? QStringLiteral("(none)")
                                        : pathFrom_->property("text").toString());
        std::fputs(report.toUtf8().constData(), stdout);
        std::fflush(stdout);
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        return false;
    }

private:
    bool reported_ = false;
    QPointer<QObject> pathFrom_;
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
