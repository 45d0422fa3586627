"""Dropping on a window from X, as a Linux file manager or browser does (the XDND protocol, version
5): offer typed data, move over the target, drop, hand over the data when asked, wait for the end."""
import time
import urllib.parse

from Xlib import X, Xatom, display, protocol

VERSION = 5


def file_uris(paths):
    """A text/uri-list naming local files."""
    return "".join("file://" + urllib.parse.quote(str(p)) + "\r\n" for p in paths).encode("utf-8")


class XdndSource:
    """One drag from a window of our own. `offers` maps MIME types to their bytes."""

    def __init__(self, offers):
        self.offers = dict(offers)
        self.screen = display.Display()
        self.root = self.screen.screen().root
        self.window = self.root.create_window(0, 0, 1, 1, 0, X.CopyFromParent, X.InputOnly, X.CopyFromParent)
        self.atoms = {}

    def atom(self, name):
        if name not in self.atoms:
            self.atoms[name] = self.screen.intern_atom(name)
        return self.atoms[name]

    def close(self):
        self.window.destroy()
        self.screen.close()

    def target_at(self, x, y):
        """The X window under the point that takes XDND drops, or None."""
        window = self.root
        while True:
            child = window.translate_coords(self.root, x, y).child
            if not child:
                return None
            if child.get_full_property(self.atom("XdndAware"), X.AnyPropertyType):
                return child
            window = child

    def send(self, target, kind, data):
        event = protocol.event.ClientMessage(window=target, client_type=self.atom(kind),
                                             data=(32, (data + [0] * 5)[:5]))
        target.send_event(event, X.NoEventMask)
        self.screen.flush()

    def answer(self, request):
        """Hands the data of one type to whoever asked for it."""
        name = self.screen.get_atom_name(request.target)
        prop = request.property or request.target
        if name == "TARGETS":
            self.window_property(request.requestor, prop, Xatom.ATOM, 32,
                                 [self.atom(t) for t in self.offers] + [self.atom("TARGETS")])
        elif name in self.offers:
            self.window_property(request.requestor, prop, request.target, 8, self.offers[name])
        else:
            prop = X.NONE
        reply = protocol.event.SelectionNotify(time=request.time, requestor=request.requestor,
                                               selection=request.selection, target=request.target,
                                               property=prop)
        request.requestor.send_event(reply, X.NoEventMask)
        self.screen.flush()

    @staticmethod
    def window_property(window, prop, kind, size, value):
        window.change_property(prop, kind, size, value)

    def events_until(self, wanted, deadline):
        """Serves data requests until a client message of the wanted kind arrives; None at the deadline."""
        while time.monotonic() < deadline:
            while self.screen.pending_events():
                event = self.screen.next_event()
                if event.type == X.SelectionRequest:
                    self.answer(event)
                elif event.type == X.ClientMessage and event.client_type == self.atom(wanted):
                    return event
            time.sleep(0.01)
        return None

    def drop(self, x, y, timeout=30.0):
        """Drags the offers to the root point (x, y) and drops them. True when the target took the
        drop and said it finished."""
        deadline = time.monotonic() + timeout
        target = self.target_at(x, y)
        if target is None:
            raise AssertionError(f"no XDND target at {x}, {y}")
        self.window.set_selection_owner(self.atom("XdndSelection"), X.CurrentTime)
        types = [self.atom(t) for t in self.offers]
        self.window.change_property(self.atom("XdndTypeList"), Xatom.ATOM, 32, types)
        more = 1 if len(types) > 3 else 0
        self.send(target, "XdndEnter", [self.window.id, (VERSION << 24) | more] + types[:3])
        self.send(target, "XdndPosition", [self.window.id, 0, (x << 16) | y, X.CurrentTime,
                                           self.atom("XdndActionCopy")])
        status = self.events_until("XdndStatus", deadline)
        if status is None or not status.data[1][1] & 1:
            self.send(target, "XdndLeave", [self.window.id, 0])
            return False
        self.send(target, "XdndDrop", [self.window.id, 0, X.CurrentTime])
        finished = self.events_until("XdndFinished", deadline)
        return finished is not None and (VERSION < 5 or bool(finished.data[1][1] & 1))


def drop(offers, x, y, timeout=30.0):
    """One drop of `offers` at (x, y); see XdndSource.drop."""
    source = XdndSource(offers)
    try:
        return source.drop(x, y, timeout)
    finally:
        source.close()
