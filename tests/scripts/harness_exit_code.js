// Must FAIL: a non-zero exit code fails the test even after the marker line.
WScript.Echo("ALL OK");
WScript.Quit(3);
