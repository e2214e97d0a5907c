#!/usr/bin/python3
'''Stand-in for systemd's manager (python-dbusmock's systemd template) and for
systemd-timesyncd's org.freedesktop.timesync1 on the private system bus.

  timesync-standin.py [--unit NAME=STATE ...] [--server NAME] [--synced-at USEC]
                      [--journal FILE] [--background]

--unit adds a unit (e.g. systemd-timesyncd.service=active); the manager also
answers LoadUnit (unknown units come back "not-found", as systemd does) and
RestartUnit, whose job ends with JobRemoved ("done", or the result SetJobResult
gave for the unit; a unit whose job fails is left "failed"). --server and --synced-at fill timesync1's ServerName and the
arrival time (microseconds since the epoch) in NTPMessage.

Every method call to the two services is appended to the journal (JSON, one
object a line). Tests steer it through /ru/orb/TimesyncStandIn, interface
ru.orb.test.TimesyncStandIn: SetUnit(s name, s state), SetLastSync(s server,
t usec), FailWith(s member, s error_name), SetJobResult(s unit, s result), Clear().

Prints "READY" once both names are owned. With --background the command
returns then, leaving the stand-in running until its bus goes away.
Runs only on the bus named by DBUS_SYSTEM_BUS_ADDRESS.
'''

import argparse
import json
import os
import sys
import time

import dbus
import dbus.lowlevel
import dbus.mainloop.glib
import dbus.service
import dbusmock.mockobject
from gi.repository import GLib

SYSTEMD = 'org.freedesktop.systemd1'
SYSTEMD_PATH = '/org/freedesktop/systemd1'
MANAGER = 'org.freedesktop.systemd1.Manager'
UNIT = 'org.freedesktop.systemd1.Unit'
TIMESYNC = 'org.freedesktop.timesync1'
TIMESYNC_PATH = '/org/freedesktop/timesync1'
TIMESYNC_IFACE = 'org.freedesktop.timesync1.Manager'
CONTROL_PATH = '/ru/orb/TimesyncStandIn'
CONTROL_IFACE = 'ru.orb.test.TimesyncStandIn'
UNJOURNALED = {CONTROL_IFACE, dbusmock.mockobject.MOCK_IFACE, 'org.freedesktop.DBus.Introspectable',
               'org.freedesktop.DBus.Peer'}


def ntp_message(usec):
    '''timesyncd's NTPMessage (uuuuittayttttbtt); only the arrival time matters here.'''
    return dbus.Struct((dbus.UInt32(0), dbus.UInt32(4), dbus.UInt32(4), dbus.UInt32(1), dbus.Int32(-25),
                        dbus.UInt64(0), dbus.UInt64(0), dbus.Array([], signature='y'),
                        dbus.UInt64(usec), dbus.UInt64(usec), dbus.UInt64(usec), dbus.UInt64(usec),
                        dbus.Boolean(False), dbus.UInt64(1), dbus.UInt64(0)), signature='uuuuittayttttbtt')


class Control(dbus.service.Object):
    methods = {}
    interface = CONTROL_IFACE

    def __init__(self, conn, systemd, timesync):
        super().__init__(conn, CONTROL_PATH)
        self.systemd = systemd
        self.timesync = timesync
        self.failures = {}
        self.job_results = {}

    def unit_object(self, name):
        if name not in self.systemd.units:
            self.systemd.AddMockUnit(name)
        return dbusmock.mockobject.objects[self.systemd.units[name]]

    @dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
    def SetUnit(self, name, state):
        self.unit_object(str(name)).UpdateProperties(UNIT, {'ActiveState': state, 'LoadState': 'loaded'})

    @dbus.service.method(CONTROL_IFACE, in_signature='st', out_signature='')
    def SetLastSync(self, server, usec):
        # dbusmock's UpdateProperties cannot wrap a struct; timesyncd signals nothing here anyway.
        properties = self.timesync.props[TIMESYNC_IFACE]
        properties['ServerName'] = dbus.String(server)
        properties['NTPMessage'] = ntp_message(usec)

    @dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
    def FailWith(self, member, error_name):
        self.failures[str(member)] = str(error_name)

    @dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
    def SetJobResult(self, unit, result):
        self.job_results[str(unit)] = str(result)

    @dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='')
    def Clear(self):
        self.failures.clear()
        self.job_results.clear()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--unit', action='append', default=[], help='NAME=STATE, e.g. chrony.service=inactive')
    parser.add_argument('--server', default='', help="timesync1's ServerName")
    parser.add_argument('--synced-at', type=int, default=0, help='arrival time of the last answer, microseconds since the epoch')
    parser.add_argument('--journal', default='', help='JSON-lines journal of received calls')
    parser.add_argument('--background', action='store_true', help='return once ready, leaving the stand-in running')
    args = parser.parse_args()

    address = os.environ.get('DBUS_SYSTEM_BUS_ADDRESS')
    if not address:
        sys.stderr.write('timesync-standin: DBUS_SYSTEM_BUS_ADDRESS is not set; refusing to touch the real system bus\n')
        return 2

    ready_write = None
    if args.background:
        ready_read, ready_write = os.pipe()
        if os.fork() > 0:
            os.close(ready_write)
            with os.fdopen(ready_read) as ready:
                line = ready.readline()
            if not line.startswith('READY'):
                sys.stderr.write('timesync-standin: did not start\n')
                return 1
            print('READY', flush=True)
            return 0
        os.close(ready_read)

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    conn = dbus.bus.BusConnection(address)

    systemd = dbusmock.mockobject.DBusMockObject(conn, SYSTEMD_PATH, MANAGER, {})
    dbusmock.mockobject.objects[SYSTEMD_PATH] = systemd
    systemd.AddTemplate('systemd', {})
    systemd.logfile = open(os.devnull, 'wb')  # pylint: disable=consider-using-with

    def load_unit(name):
        name = str(name)
        if name not in systemd.units:
            systemd.AddMockUnit(name)
            dbusmock.mockobject.objects[systemd.units[name]].UpdateProperties(UNIT, {'LoadState': 'not-found'})
        return systemd.units[name]

    def restart_unit(name, _mode):
        path = systemd.units.get(str(name))
        if path is None:
            raise dbus.exceptions.DBusException(f'Unit {name} not found.', name='org.freedesktop.systemd1.NoSuchUnit')
        result = control.job_results.get(str(name), 'done')
        dbusmock.mockobject.objects[path].UpdateProperties(UNIT, {'ActiveState': 'active' if result == 'done' else 'failed'})
        job_id = int(time.monotonic() * 1000)
        job = dbus.ObjectPath(f'{SYSTEMD_PATH}/job/{job_id}')

        def job_removed():
            systemd.EmitSignal(MANAGER, 'JobRemoved', 'uoss', [dbus.UInt32(job_id % 2**32), job, str(name), result])
            return False
        GLib.timeout_add(50, job_removed)
        return job

    systemd.standin_load_unit = load_unit
    systemd.standin_restart_unit = restart_unit
    systemd.AddMethod(MANAGER, 'LoadUnit', 's', 'o', 'ret = self.standin_load_unit(args[0])')
    systemd.AddMethod(MANAGER, 'RestartUnit', 'ss', 'o', 'ret = self.standin_restart_unit(args[0], args[1])')

    timesync = dbusmock.mockobject.DBusMockObject(conn, TIMESYNC_PATH, TIMESYNC_IFACE, {
        'ServerName': dbus.String(args.server),
        'ServerAddress': dbus.Struct((dbus.Int32(0), dbus.Array([], signature='y')), signature='iay'),
        'NTPMessage': ntp_message(args.synced_at),
    })
    dbusmock.mockobject.objects[TIMESYNC_PATH] = timesync
    timesync.logfile = open(os.devnull, 'wb')  # pylint: disable=consider-using-with

    control = Control(conn, systemd, timesync)
    for unit_arg in args.unit:
        name, _, state = unit_arg.partition('=')
        control.SetUnit(name, state or 'active')

    def on_message(connection, msg):
        if not isinstance(msg, dbus.lowlevel.MethodCallMessage):
            return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED
        interface = msg.get_interface() or ''
        if interface in UNJOURNALED or msg.get_destination() not in (SYSTEMD, TIMESYNC):
            return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED
        if args.journal:
            with open(args.journal, 'a', encoding='utf-8') as journal:
                journal.write(json.dumps({'service': msg.get_destination(), 'path': msg.get_path(), 'interface': interface,
                                          'member': msg.get_member(), 'args': [str(a) for a in msg.get_args_list()]}) + '\n')
        failure = control.failures.get(msg.get_member())
        if failure:
            connection.send_message(dbus.lowlevel.ErrorMessage(msg, failure, 'failure asked for by the test'))
            return dbus.lowlevel.HANDLER_RESULT_HANDLED
        return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED

    conn.add_message_filter(on_message)
    for name in (SYSTEMD, TIMESYNC):
        if conn.request_name(name, dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
            sys.stderr.write(f'timesync-standin: {name} is already owned\n')
            return 1

    loop = GLib.MainLoop()
    conn.call_on_disconnection(lambda _conn: loop.quit())
    if not args.background:
        print('READY', flush=True)
    else:
        os.write(ready_write, b'READY\n')
        os.close(ready_write)
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1):
            os.dup2(devnull, fd)
        os.close(devnull)
    loop.run()
    return 0


if __name__ == '__main__':
    sys.exit(main())
