# Converts the UTF-16 big-endian files of a folder to little-endian without losing a byte.
#
#   powershell -File utf16_to_le.ps1 C:\Exports
#
# What differs from the scripts: PowerShell receives GetFileB's result as a [byte[]] and can look
# at the bytes themselves. A 64-bit PowerShell (the default one on 64-bit Windows) needs the
# 64-bit Brindle0100.dll registered; the one under SysWOW64 needs the 32-bit one.
param([Parameter(Mandatory)] [string] $Folder)

$tav = New-Object -ComObject Brindle.tavFSO
foreach ($file in Get-ChildItem -LiteralPath $Folder -File) {
    $bytes = $tav.GetFileB($file.FullName, $true)
    if ($bytes.Length -lt 2 -or $bytes[0] -ne 0xFE -or $bytes[1] -ne 0xFF) {
        "$($file.Name): not big-endian UTF-16, left alone"
    } elseif ($bytes.Length % 2 -eq 1) {
        "$($file.Name): odd length, left alone"
    } else {
        $text = $tav.GetFileW($file.FullName, $true)
        [void] $tav.PutFileW($file.FullName, $text, $true)
        $after = $tav.GetFileB($file.FullName, $true)
        # Every pair swapped, FE FF become FF FE: the same bytes in the other order.
        $same = $after.Length -eq $bytes.Length
        for ($i = 0; $same -and $i -lt $bytes.Length; $i += 2) {
            $same = $after[$i] -eq $bytes[$i + 1] -and $after[$i + 1] -eq $bytes[$i]
        }
        if ($same) { "$($file.Name): now little-endian, $($bytes.Length) bytes" }
        else { "$($file.Name): changed in the conversion!" }
    }
}
