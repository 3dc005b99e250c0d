#!/usr/bin/env python3
"""A stand-in for a desktop panel that hosts StatusNotifierItem icons.

It owns org.kde.StatusNotifierWatcher on the session bus (DBUS_SESSION_BUS_ADDRESS), says that a
host is registered, as KDE Plasma, GNOME's AppIndicator extension, Xfce's and Wayland panels do,
and records every item that registers. It talks on stdout, one line an event:

    ready                          the watcher's name is owned
    registered <service> <path>    an item registered
    unregistered <service>         a registered item's name went away
    activated <service>            an Activate call was answered (error <text> when it failed)

and takes commands on stdin, one a line:

    activate                       Activate(x, y) on the newest item, as a single click does
    context                        ContextMenu(x, y) on the newest item, as a right click does
    quit                           leave the bus: the panel goes away
"""

import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
PROPERTIES = "org.freedesktop.DBus.Properties"
INTROSPECTABLE = "org.freedesktop.DBus.Introspectable"

# Qt reads the watcher through an introspected interface, so the properties must be listed.
INTROSPECTION = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface" type="s" direction="in"/>
      <arg name="values" type="a{sv}" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="data" type="s" direction="out"/></method>
  </interface>
</node>
"""


def say(line):
    print(line, flush=True)


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.bus = bus
        self.items = []  # (service, path) in the order they registered
        self.name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
        super().__init__(self.name, "/StatusNotifierWatcher")
        bus.add_signal_receiver(self.on_owner_changed, "NameOwnerChanged",
                                "org.freedesktop.DBus", "org.freedesktop.DBus",
                                "/org/freedesktop/DBus")

    # The item passes its bus name, or an object path on its own connection.
    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        if service.startswith("/"):
            entry = (str(sender), str(service))
        else:
            entry = (str(service), "/StatusNotifierItem")
        self.items = [item for item in self.items if item[0] != entry[0]]
        self.items.append(entry)
        say("registered %s %s" % entry)
        self.StatusNotifierItemRegistered(entry[0] + entry[1])

    @dbus.service.method(WATCHER, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        self.StatusNotifierHostRegistered()

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    def properties(self):
        return {
            "RegisteredStatusNotifierItems":
                dbus.Array([s + p for s, p in self.items], signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method(INTROSPECTABLE, in_signature="", out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        values = self.properties()
        if interface != WATCHER or name not in values:
            raise dbus.exceptions.DBusException("no such property",
                                                name="org.freedesktop.DBus.Error.UnknownProperty")
        return values[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties() if interface == WATCHER else {}

    def on_owner_changed(self, name, old_owner, new_owner):
        if new_owner:
            return
        gone = [item for item in self.items if item[0] == name]
        if not gone:
            return
        self.items = [item for item in self.items if item[0] != name]
        say("unregistered %s" % name)
        self.StatusNotifierItemUnregistered(gone[0][0] + gone[0][1])

    def call_newest(self, method):
        if not self.items:
            say("error no item")
            return
        service, path = self.items[-1]
        item = self.bus.get_object(service, path, introspect=False)
        getattr(item, method)(dbus.Int32(10), dbus.Int32(10), dbus_interface=ITEM,
                              reply_handler=lambda: say("activated %s" % service),
                              error_handler=lambda e: say("error %s" % e))


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    loop = GLib.MainLoop()

    def on_command(channel, condition):
        line = sys.stdin.readline()
        command = line.strip()
        if not line or command == "quit":
            loop.quit()
            return False
        if command == "activate":
            watcher.call_newest("Activate")
        elif command == "context":
            watcher.call_newest("ContextMenu")
        else:
            say("error unknown command %s" % command)
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_command)
    say("ready")
    loop.run()


if __name__ == "__main__":
    main()
