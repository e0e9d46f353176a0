// Must FAIL: the script ends normally but never prints its marker line.
WScript.Echo("forgot the marker");
