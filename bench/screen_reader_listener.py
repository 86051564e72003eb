#!/usr/bin/python3
# Stands in for a screen reader during the tree benchmarks: asks the accessibility
# registry for every event a screen reader follows, and receives them all, so that the
# program under measurement sends and the bus carries what they would for a real one.
import dbus
import dbus.mainloop.glib
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
session = dbus.SessionBus()
address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
    dbus_interface="org.a11y.Bus")
bus = dbus.bus.BusConnection(address)
registry = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/registry")
for event in ("object:", "focus:", "window:", "document:"):
    registry.RegisterEvent(event, dbus.Array([], signature="s"), "",
                           dbus_interface="org.a11y.atspi.Registry")

received = 0


def on_event(*args, **kwargs):
    global received
    received += 1


for interface in ("Object", "Focus", "Window", "Document"):
    bus.add_signal_receiver(on_event, dbus_interface="org.a11y.atspi.Event." + interface)
print("screen reader stand-in listening", flush=True)

def report(*_):
    print("screen reader stand-in received %d events" % received, flush=True)
    loop.quit()


import signal
loop = GLib.MainLoop()
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, report)
loop.run()
