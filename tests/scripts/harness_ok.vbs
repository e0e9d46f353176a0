' The script runner passes a script that reaches its marker line.
WScript.Echo "vbscript runs"
WScript.Echo "ALL OK"
