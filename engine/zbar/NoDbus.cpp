// zbar's image scanner can publish what it reads on the D-Bus session bus
// when asked to (zbar_image_scanner_request_dbus); the engine never asks.
// Linked from Debian's static archive, the scanner still names the D-Bus
// calls, and the D-Bus archive in turn needs the systemd library: that would
// add seven shared libraries to every worker start for a path that never
// runs. These stand-ins answer as a bus that cannot be reached. They are
// linked only with the static archive (see cmake/StaticArchives.cmake).

#include <cstdint>

extern "C" {

void* dbus_bus_get(int, void*) { return nullptr; }
int dbus_bus_request_name(void*, const char*, unsigned, void*) { return -1; }
int dbus_bus_release_name(void*, const char*, void*) { return -1; }
void dbus_connection_flush(void*) {}
std::uint32_t dbus_connection_send(void*, void*, std::uint32_t*) { return 0; }
void dbus_error_init(void*) {}
void dbus_error_free(void*) {}
std::uint32_t dbus_error_is_set(const void*) { return 0; }
void* dbus_message_new_signal(const char*, const char*, const char*) { return nullptr; }
void dbus_message_unref(void*) {}
void dbus_message_iter_init_append(void*, void*) {}
std::uint32_t dbus_message_iter_append_basic(void*, int, const void*) { return 0; }
std::uint32_t dbus_message_iter_append_fixed_array(void*, int, const void*, int) { return 0; }
std::uint32_t dbus_message_iter_open_container(void*, int, const char*, void*) { return 0; }
std::uint32_t dbus_message_iter_close_container(void*, void*) { return 0; }

}  // extern "C"
