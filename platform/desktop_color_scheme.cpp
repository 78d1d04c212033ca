#include "platform/desktop_color_scheme.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QFileInfo>
#include <QPalette>

#include <optional>

#include "platform/dark_palette.h"

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kColorSchemeKey = QStringLiteral("color-scheme");
constexpr int kReplyTimeoutMs = 10000;

// Without an address libdbus would start a bus of its own ("autolaunch"): a process and a
// delay for a session that has no bus, and so no portal either.
bool SessionBusExists() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

class PortalSchemeWatch : public QObject {
    Q_OBJECT
public:
    PortalSchemeWatch(const QDBusConnection& bus, QObject* owner) : QObject(owner), bus_(bus) {
        // Any sender: naming the portal's service would look its owner up while we wait.
        bus_.connect(QString(), kPortalPath, kSettingsInterface, QStringLiteral("SettingChanged"), this,
                     SLOT(SettingChanged(QDBusMessage)));
        Ask(QStringLiteral("ReadOne"));
    }

public Q_SLOTS:
    void SettingChanged(const QDBusMessage& message) {
        const QList<QVariant> arguments = message.arguments();
        if (arguments.size() != 3 || arguments[0].toString() != kAppearance || arguments[1].toString() != kColorSchemeKey)
            return;
        heardChange_ = true;
        Apply(ColorSchemeOfPortalValue(arguments[2]));
    }

private:
    // Portals older than ReadOne answer Read, with the value wrapped once more.
    void Ask(const QString& method) {
        QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kSettingsInterface, method);
        call << kAppearance << kColorSchemeKey;
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kReplyTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher* done) {
            done->deleteLater();
            const QDBusMessage reply = done->reply();
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                // A change heard meanwhile is newer than this answer.
                if (!heardChange_) Apply(ColorSchemeOfPortalValue(reply.arguments().front()));
            } else if (method == QLatin1String("ReadOne") &&
                       reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")) {
                Ask(QStringLiteral("Read"));
            }
        });
    }

    void Apply(ColorScheme scheme) {
        const bool dark = scheme == ColorScheme::Dark;
        if (dark == dark_) return;
        if (!lightPalette_) lightPalette_ = QApplication::palette();
        dark_ = dark;
        QApplication::setPalette(dark ? DarkPalette() : *lightPalette_);
    }

    QDBusConnection bus_;
    bool heardChange_ = false;
    bool dark_ = false;
    // The toolkit's own colours, taken before the first switch to dark.
    std::optional<QPalette> lightPalette_;
};

}  // namespace

void FollowDesktopColorScheme() {
    if (!SessionBusExists()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    // Lives as long as the application, which deletes it.
    new PortalSchemeWatch(bus, QCoreApplication::instance());
}

ColorScheme ColorSchemeOfPortalValue(const QVariant& value) {
    QVariant inner = value;
    for (;;) {
        if (inner.metaType() == QMetaType::fromType<QDBusVariant>()) {
            inner = qvariant_cast<QDBusVariant>(inner).variant();
        } else if (inner.metaType() == QMetaType::fromType<QDBusArgument>()) {
            const auto argument = qvariant_cast<QDBusArgument>(inner);
            if (argument.currentType() != QDBusArgument::VariantType) break;
            inner = qdbus_cast<QDBusVariant>(argument).variant();
        } else {
            break;
        }
    }
    if (inner.metaType() != QMetaType::fromType<uint>()) return ColorScheme::NoPreference;
    switch (inner.toUInt()) {
        case 1: return ColorScheme::Dark;
        case 2: return ColorScheme::Light;
        default: return ColorScheme::NoPreference;
    }
}

#include "desktop_color_scheme.moc"
