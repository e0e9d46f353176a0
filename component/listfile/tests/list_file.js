// tavFSO.ReadStandardListFile late bound from JScript: defaults, items by position and key, the
// null result and the error. (JScript's Enumerator does not work on collections under the test
// platform; For Each is covered from VBScript. Count is a method of the Collection interface;
// JScript may read it as a property too.)
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
var tav = new ActiveXObject("Brindle.tavFSO");
makeTestFolder("tavlistjs");

var name = p("list.txt");
writeTextFile(name, "# head\r\n  first  \nsecond\rthird");
var list = tav.ReadStandardListFile(name, "#");
check(list.Count() === 3, "three items over CR LF, LF and CR line ends (Count " + list.Count() + ")");
check(same(list.Item(1), "first") && same(list.Item("3"), "third"), "by position and by key");
check(list.Count === 3 && tav.ReadStandardListFile(name, "#").Count === 3, "Count read as a property");
list = tav.ReadStandardListFile(name, "#", true, false);
check(same(list.Item(1), "  first  "), "TrimStrings false keeps the blanks");

list = tav.ReadStandardListFile(p("missing.txt"));
check(list === null, "a missing file gives null by default");
var caught = null;
try { tav.ReadStandardListFile(p("missing.txt"), ";", true, true, false, true); } catch (e) { caught = e; }
check(caught !== null && (caught.number & 0xFFFF) === 53, "RaiseErrors true raises 53: " + (caught && caught.number));

finish();
