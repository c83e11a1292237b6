// GNOME's timer settings through GIO's GSettings, the way the desktop itself reads them (see
// platform/idle.h's GnomeSettings). Each schema is looked up in the schema source first: GSettings
// ends the program when asked for a schema that is not installed. A thread of ours runs a GLib
// loop on a context of its own, where the settings' "changed" signals arrive; it keeps the values
// and writes a byte to a pipe that the idle companion's wait watches.
#include <fcntl.h>
#include <gio/gio.h>
#include <unistd.h>

#include <mutex>
#include <thread>

#include "platform/idle.h"

namespace platform::idle {
namespace {

constexpr const char* kSession = "org.gnome.desktop.session";
constexpr const char* kScreensaver = "org.gnome.desktop.screensaver";
constexpr const char* kPower = "org.gnome.settings-daemon.plugins.power";

// The settings of `schema`, or nothing when it is not installed.
GSettings* OpenSchema(const char* schema) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* found =
        source ? g_settings_schema_source_lookup(source, schema, TRUE) : nullptr;
    if (!found) return nullptr;
    GSettings* settings = g_settings_new_full(found, nullptr, nullptr);
    g_settings_schema_unref(found);
    return settings;
}

std::string EnumText(GSettings* settings, const char* key) {
    gchar* text = g_settings_get_string(settings, key);
    std::string value = text ? text : "";
    g_free(text);
    return value;
}

}  // namespace

struct GnomeSettings::Follower {
    GMainContext* context = g_main_context_new();
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    GSettings* schemas[3] = {nullptr, nullptr, nullptr};  // session, screen saver, power
    int news[2] = {-1, -1};
    mutable std::mutex lock;
    GnomeTimerSettings values;
    std::thread thread;

    Follower() {
        if (pipe2(news, O_CLOEXEC | O_NONBLOCK) != 0) news[0] = news[1] = -1;
        // The settings belong to the loop's context: their signals are dispatched there.
        g_main_context_push_thread_default(context);
        const char* names[] = {kSession, kScreensaver, kPower};
        for (int i = 0; i < 3; ++i) {
            schemas[i] = OpenSchema(names[i]);
            if (schemas[i])
                g_signal_connect(schemas[i], "changed", G_CALLBACK(OnChanged), this);
            else
                values.missing.push_back(names[i]);
        }
        Read();
        g_main_context_pop_thread_default(context);
        thread = std::thread([this] {
            g_main_context_push_thread_default(context);
            g_main_loop_run(loop);
            g_main_context_pop_thread_default(context);
        });
    }

    ~Follower() {
        g_main_context_invoke(context, Quit, loop);
        thread.join();
        for (GSettings* s : schemas)
            if (s) g_object_unref(s);
        g_main_loop_unref(loop);
        g_main_context_unref(context);
        for (int fd : news)
            if (fd >= 0) close(fd);
    }

    static gboolean Quit(gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
    }

    static void OnChanged(GSettings*, gchar*, gpointer data) {
        auto* self = static_cast<Follower*>(data);
        self->Read();
        const char byte = 1;
        if (self->news[1] >= 0 && write(self->news[1], &byte, 1) < 0) {
            // Full: the news is there already.
        }
    }

    // Takes in the values now (in the loop's thread, or before it runs).
    void Read() {
        GnomeTimerSettings read;
        read.missing = values.missing;
        if (GSettings* s = schemas[0]) read.idleDelay = g_settings_get_uint(s, "idle-delay");
        if (GSettings* s = schemas[1]) {
            read.lockEnabled = g_settings_get_boolean(s, "lock-enabled") != FALSE;
            read.lockDelay = g_settings_get_uint(s, "lock-delay");
        }
        if (GSettings* s = schemas[2]) {
            read.sleepAcTimeout = g_settings_get_int(s, "sleep-inactive-ac-timeout");
            read.sleepBatteryTimeout = g_settings_get_int(s, "sleep-inactive-battery-timeout");
            read.sleepAcType = EnumText(s, "sleep-inactive-ac-type");
            read.sleepBatteryType = EnumText(s, "sleep-inactive-battery-type");
        }
        std::lock_guard<std::mutex> hold(lock);
        values = std::move(read);
    }
};

GnomeSettings::GnomeSettings() : follower_(std::make_unique<Follower>()) {}

GnomeSettings::~GnomeSettings() = default;

GnomeTimerSettings GnomeSettings::Current() const {
    std::lock_guard<std::mutex> hold(follower_->lock);
    return follower_->values;
}

int GnomeSettings::Descriptor() const {
    return follower_->news[0];
}

bool GnomeSettings::TakeNews() {
    char bytes[64];
    bool news = false;
    while (follower_->news[0] >= 0 && read(follower_->news[0], bytes, sizeof bytes) > 0)
        news = true;
    return news;
}

}  // namespace platform::idle
