// A script client that takes the control's events through the script host:
// WScript.ConnectObject with the prefix "Notarel_", polling against the
// device on the COM number of the second argument, waiting at most the
// milliseconds of the third argument for a Stacked event or a bill returned.
// Writes one line per step and per event received to the file named by the
// first argument, in UTF-16.
var out = WScript.Arguments.Item(0);
var devicePort = parseInt(WScript.Arguments.Item(1), 10);
var waitMs = parseInt(WScript.Arguments.Item(2), 10);
var lines = [];
var events = 0;
var done = false;

function Notarel_Bill(summ, accept) { events++; lines.push("Event=Bill " + summ); }
function Notarel_Stacked() { events++; done = true; lines.push("Event=Stacked"); }
function Notarel_Reject(code, extCode, text) { events++; lines.push("Event=Reject " + code); }
function Notarel_Error(code, extCode, text) { events++; lines.push("Event=Error " + code); }

// WScript.Sleep where the host has it; otherwise the wait spins on the clock.
var sleepWorks = true;
function Pause(ms) {
  if (sleepWorks) {
    try {
      WScript.Sleep(ms);
      return;
    } catch (e) {
      sleepWorks = false;
      lines.push("Sleep=error " + (e.number >>> 0).toString(16));
    }
  }
  var end = new Date().getTime() + ms;
  while (new Date().getTime() < end) {}
}

function Step(name, action) {
  try {
    lines.push(name + "=" + action());
  } catch (e) {
    lines.push(name + "=error " + (e.number >>> 0).toString(16) + " " + e.message);
  }
}

try {
  var control = new ActiveXObject("RUDLib.Notarel2");
  Step("ConnectObject", function () { WScript.ConnectObject(control, "Notarel_"); return "done"; });
  control.PortNumber = devicePort;
  control.CountryIndex = 0;
  Step("CountryByIndex", function () { return control.CountryByIndex(); });
  control.PollingInterval = 20;
  control.BillEnabled = true;
  Step("StartPolling", function () { return control.StartPolling(); });
  // The test inserts a bill once polling has enabled the device; nobody can
  // set the accept flag from JScript, so the bill is returned.
  var waited = 0;
  while (!done && waited < waitMs) {
    Pause(100);
    waited += 100;
  }
  Step("StopPolling", function () { return control.StopPolling(); });
  Step("PollingStarted", function () { return control.PollingStarted; });
  Step("Events", function () { return events; });
  Step("DisconnectObject", function () { WScript.DisconnectObject(control); return "done"; });
  control = null;
} catch (e) {
  lines.push("Error=" + (e.number >>> 0).toString(16) + " " + e.message);
}

var fso = new ActiveXObject("Scripting.FileSystemObject");
var file = fso.CreateTextFile(out, true, true);
file.Write(lines.join("\r\n"));
file.Close();
