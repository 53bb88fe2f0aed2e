#!/usr/bin/env python3
"""A small ASCOM Alpaca client, written from the published Alpaca API (management API,
Telescope device API, discovery), that the end-to-end tests run against the program.

    alpaca_client.py HOST DISCOVERY_PORT

It discovers the server over UDP, reads the management API, connects to Telescope 0,
reads the position, slews to a target near the simulated mount's start (RightAscension
1.5 h, Declination 75.25 deg), waits until the mount no longer slews and stands on the
target, then starts a long slew and stops it with abortslew. Every answer's transaction
numbers and error fields are checked. Prints one line per step and "PASS" at the end; the
exit code is 0 only when every check held.
"""
import json
import socket
import sys
import time
import urllib.error
import urllib.parse
import urllib.request

CLIENT_ID = 4711
transaction = 0


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def discover(host, port):
    """Sends the discovery question; the answer names the Alpaca port."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as udp:
        udp.settimeout(2)
        for _ in range(5):  # UDP may drop a datagram: ask again
            udp.sendto(b"alpacadiscovery1", (host, port))
            try:
                data, _ = udp.recvfrom(1024)
            except socket.timeout:
                continue
            answer = json.loads(data.decode("utf-8"))
            return int(answer["AlpacaPort"])
    fail("no answer to the discovery question")


def call(base, method, path, **parameters):
    """One request with ClientID and the next ClientTransactionID; the parsed answer."""
    global transaction
    transaction += 1
    parameters = dict(parameters, ClientID=CLIENT_ID, ClientTransactionID=transaction)
    encoded = urllib.parse.urlencode(parameters)
    if method == "GET":
        request = urllib.request.Request(base + path + "?" + encoded, method="GET")
    else:
        request = urllib.request.Request(
            base + path, data=encoded.encode("ascii"), method="PUT",
            headers={"Content-Type": "application/x-www-form-urlencoded"})
    try:
        with urllib.request.urlopen(request, timeout=20) as response:
            body = json.loads(response.read().decode("utf-8"))
    except urllib.error.HTTPError as error:
        fail("%s %s: HTTP %d %s" % (method, path, error.code, error.read().decode()))
    for field in ("ClientTransactionID", "ServerTransactionID", "ErrorNumber", "ErrorMessage"):
        if field not in body:
            fail("%s %s: the answer has no %s: %s" % (method, path, field, body))
    if body["ClientTransactionID"] != transaction:
        fail("%s %s: ClientTransactionID %s, sent %d" %
             (method, path, body["ClientTransactionID"], transaction))
    if body["ServerTransactionID"] < 1:
        fail("%s %s: ServerTransactionID %s" % (method, path, body["ServerTransactionID"]))
    return body


def value(base, path, **parameters):
    body = call(base, "GET", path, **parameters)
    if body["ErrorNumber"] != 0:
        fail("GET %s: error %d %s" % (path, body["ErrorNumber"], body["ErrorMessage"]))
    return body["Value"]


def act(base, path, **parameters):
    body = call(base, "PUT", path, **parameters)
    if body["ErrorNumber"] != 0:
        fail("PUT %s: error %d %s" % (path, body["ErrorNumber"], body["ErrorMessage"]))


def wait_until(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.25)
    fail("waited %d s for %s" % (seconds, what))


def main():
    host, discovery_port = sys.argv[1], int(sys.argv[2])
    port = discover(host, discovery_port)
    print("discovered port", port, flush=True)
    server = "http://%s:%d" % (host, port)

    if 1 not in value(server, "/management/apiversions"):
        fail("API version 1 is not offered")
    description = value(server, "/management/v1/description")
    print("server:", description["ServerName"], description["ManufacturerVersion"], flush=True)
    devices = value(server, "/management/v1/configureddevices")
    telescopes = [d for d in devices if d["DeviceType"] == "Telescope"]
    if not telescopes:
        fail("no Telescope among %s" % devices)
    base = "%s/api/v1/telescope/%d/" % (server, telescopes[0]["DeviceNumber"])

    act(base, "connected", Connected=True)
    if value(base, "connected") is not True:
        fail("not connected after PUT Connected=True")
    if value(base, "interfaceversion") != 3:
        fail("interface version is not 3")
    if not value(base, "canslewasync"):
        fail("canslewasync is false")
    ra, dec = value(base, "rightascension"), value(base, "declination")
    print("position %.4f h %.4f deg" % (ra, dec), flush=True)

    act(base, "slewtocoordinatesasync", RightAscension=1.5, Declination=75.25)
    print("slewing", flush=True)
    wait_until(lambda: not value(base, "slewing"), 60, "the slew to end")
    ra, dec = value(base, "rightascension"), value(base, "declination")
    if abs(ra - 1.5) > 0.001 or abs(dec - 75.25) > 0.01:
        fail("the mount stands at %.4f h %.4f deg, not on the target" % (ra, dec))
    print("arrived %.4f h %.4f deg" % (ra, dec), flush=True)

    act(base, "slewtocoordinatesasync", RightAscension=13.0, Declination=-40.0)
    time.sleep(1.0)
    act(base, "abortslew")
    if value(base, "slewing"):
        fail("still slewing after abortslew")
    time.sleep(3.0)
    dec = value(base, "declination")
    if dec < -39.0:
        fail("the mount reached the target despite abortslew")
    print("stopped at %.4f deg" % dec, flush=True)

    bad = call(base, "GET", "atpark")
    if bad["ErrorNumber"] != 0x400:
        fail("atpark is not 'not implemented': %s" % bad)
    act(base, "connected", Connected=False)
    print("PASS", flush=True)


if __name__ == "__main__":
    main()
