' tavFSO.ReadStandardListFile late bound from VBScript, in the order a script uses it: write a
' list, read it, walk the Collection by position, by key and with For Each; the RaiseErrors
' convention as a script sees it.
Option Explicit
Begin
Dim tav, name, list, item, s
Set tav = CreateObject("Brindle.tavFSO")
MakeTestFolder "tavlistvbs"

name = P("list.txt")
WriteTextFile name, "  ;comment" & vbCrLf & vbCrLf & "  alpha  " & vbLf & "beta" & vbLf
Set list = tav.ReadStandardListFile(name)
Check list.Count = 2, "two items with the defaults over CR LF and LF (Count " & list.Count & ")"
Check list(1) = "alpha" And list.Item(2) = "beta" And list("1") = "alpha" And list.Item("2") = "beta", "by position and by key"
s = ""
For Each item In list
    s = s & "[" & item & "]"
Next
Check s = "[alpha][beta]", "For Each walks the items in file order: " & s
Check tav.ReadStandardListFile(name, "", False, False).Count = 4, "every line an item without marker, blank test or trimming"

On Error Resume Next
Set list = tav.ReadStandardListFile(P("missing.txt"))
Check Err.Number = 0 And list Is Nothing, "a missing file gives Nothing and no error by default"
Set list = tav.ReadStandardListFile(P("missing.txt"), ";", True, True, False, True)
Check Err.Number = 53 And Len(Err.Description) > 0 And Len(Err.Source) > 0, "with RaiseErrors: " & Err.Number & " " & Err.Description & " / " & Err.Source
Err.Clear
Set list = tav.ReadStandardListFile(folder, ";", True, True, False, True)
Check Err.Number = 75, "a folder raises 75 (got " & Err.Number & ")"
On Error GoTo 0

Finish
