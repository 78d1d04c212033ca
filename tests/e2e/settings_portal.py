#!/usr/bin/env python3
"""A stand-in for the desktop's settings portal, for tests: on the bus at ADDRESS it answers
Read and ReadOne for org.freedesktop.appearance color-scheme (Read alone, as older portals,
when "old" follows the value), and each line read from stdin ("0", "1" or "2") becomes the new
value, sent out as SettingChanged. Prints "ready" once it owns the portal's name, and
"changed N" after each change."""

import sys

from gi.repository import Gio, GLib

NAME = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
INTERFACE = "org.freedesktop.portal.Settings"
INTROSPECTION = f"""
<node>
  <interface name="{INTERFACE}">
    <method name="Read"><arg type="s" direction="in"/><arg type="s" direction="in"/>
      <arg type="v" direction="out"/></method>
    <method name="ReadOne"><arg type="s" direction="in"/><arg type="s" direction="in"/>
      <arg type="v" direction="out"/></method>
    <signal name="SettingChanged"><arg type="s"/><arg type="s"/><arg type="v"/></signal>
  </interface>
</node>"""


def main():
    address, scheme = sys.argv[1], int(sys.argv[2])
    old = sys.argv[3:] == ["old"]
    loop = GLib.MainLoop()
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
    state = {"scheme": scheme}

    def on_call(connection, sender, path, interface, method, params, invocation):
        if method == "ReadOne" and old:
            invocation.return_dbus_error("org.freedesktop.DBus.Error.UnknownMethod", "no ReadOne")
            return
        group, key = params.unpack()
        if (group, key) != ("org.freedesktop.appearance", "color-scheme"):
            invocation.return_dbus_error("org.freedesktop.portal.Error.NotFound", "no such setting")
            return
        value = GLib.Variant("u", state["scheme"])
        # Read wraps the value in one more variant, as the portal has always done.
        if method == "Read":
            value = GLib.Variant("v", value)
        invocation.return_value(GLib.Variant("(v)", (value,)))

    info = Gio.DBusNodeInfo.new_for_xml(INTROSPECTION)
    bus.register_object(PATH, info.interfaces[0], on_call, None, None)

    def on_line(channel, condition):
        line = channel.readline()
        if not line:
            loop.quit()
            return False
        state["scheme"] = int(line)
        bus.emit_signal(None, PATH, INTERFACE, "SettingChanged",
                        GLib.Variant("(ssv)", ("org.freedesktop.appearance", "color-scheme",
                                               GLib.Variant("u", state["scheme"]))))
        bus.flush_sync(None)
        print(f"changed {state['scheme']}", flush=True)
        return True

    def on_name(connection, name):
        print("ready", flush=True)

    Gio.bus_own_name_on_connection(bus, NAME, Gio.BusNameOwnerFlags.NONE, on_name, None)
    stdin = GLib.IOChannel.unix_new(sys.stdin.fileno())
    GLib.io_add_watch(stdin, GLib.PRIORITY_DEFAULT, GLib.IOCondition.IN | GLib.IOCondition.HUP, on_line)
    loop.run()


if __name__ == "__main__":
    main()
