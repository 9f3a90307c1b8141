<#
.SYNOPSIS
    Converts a list of binary numbers to decimal with Vornel's automatic processing.

.DESCRIPTION
    Hands the list over to Vornel as Documents\Brindlecot\Tavernic\AutoFile\Quillet.tbin,
    starts Vornel.exe by its full path, waits for it to end and reads the result from
    Documents\Brindlecot\Tavernic\Result\Ostrum.tbin. Writes the decimal numbers to the
    pipeline, one per non-empty input line, in input order.

    Automatic processing must be switched on in Vornel (its first check box, then Exit).
    Only one calling program at a time may use a user's hand-off folder: there is one input
    name and one result name.

    Exit codes (as in convert_with_vornel.cpp): 0 converted; 1 wrong arguments or the list
    could not be read or handed over; 2 automatic processing is not switched on; 3 an earlier
    input is still waiting in the hand-off folder; 4 Vornel could not be started or did not
    end in time; 5 Vornel refused the input (or wrote no result).

    Windows PowerShell 5.1 or later.

.PARAMETER InputFile
    A text file with one binary number per line (ASCII, UTF-8, or UTF-16 with its
    byte-order mark).

.PARAMETER VornelPath
    The path of Vornel.exe (Vornel's dialog shows its full path).

.PARAMETER TimeoutSeconds
    How long to wait for Vornel to end. A run may first wait up to five minutes for other runs.

.EXAMPLE
    .\ConvertWithVornel.ps1 -InputFile .\numbers.txt -VornelPath 'C:\Tools\Vornel\Vornel.exe'
#>
param(
    [Parameter(Mandatory = $true)] [string] $InputFile,
    [Parameter(Mandatory = $true)] [string] $VornelPath,
    [int] $TimeoutSeconds = 600
)

Set-StrictMode -Version 2.0
$ErrorActionPreference = 'Stop'

# Reports the error on the error stream and ends the script with the exit code.
function Stop-WithError([int] $Code, [string] $Message) {
    $Host.UI.WriteErrorLine("ConvertWithVornel: $Message")
    exit $Code
}

# Vornel's folders below the user's Documents folder.
$documents = [Environment]::GetFolderPath('MyDocuments')
if (-not $documents) { Stop-WithError 1 'no Documents folder' }
$appData = Join-Path $documents 'Brindlecot\Tavernic'
$handOffFolder = Join-Path $appData 'AutoFile'
$inputPath = Join-Path $handOffFolder 'Quillet.tbin'
$resultPath = Join-Path $appData 'Result\Ostrum.tbin'

# Without the hand-off folder a start would open Vornel's dialog and wait for the user.
if (-not (Test-Path -LiteralPath $handOffFolder -PathType Container)) {
    Stop-WithError 2 'automatic processing is off: tick its check box in Vornel''s dialog and Exit'
}

# .NET works with full paths: its current folder is not PowerShell's.
try {
    $listPath = (Resolve-Path -LiteralPath $InputFile).ProviderPath
    $vornelFullPath = (Resolve-Path -LiteralPath $VornelPath).ProviderPath
    # Takes the byte-order marks of UTF-8 and UTF-16; without one the file is read as UTF-8.
    $text = [System.IO.File]::ReadAllText($listPath)
} catch {
    Stop-WithError 1 "cannot read the list file or find Vornel.exe: $($_.Exception.Message)"
}

# The input file: UTF-16LE with its byte-order mark FF FE, as Vornel reads it. CreateNew never
# replaces an input that is already there (it waits for its run or was refused: not ours), and
# FileShare None keeps every other program out until the file is complete and closed.
$utf16 = [System.Text.Encoding]::Unicode
[byte[]] $mark = $utf16.GetPreamble()
[byte[]] $body = $utf16.GetBytes($text)
try {
    $stream = New-Object System.IO.FileStream($inputPath, [System.IO.FileMode]::CreateNew,
        [System.IO.FileAccess]::Write, [System.IO.FileShare]::None)
} catch {
    if (Test-Path -LiteralPath $inputPath) {
        Stop-WithError 3 'an earlier Quillet.tbin is still in the hand-off folder'
    }
    Stop-WithError 1 "cannot create Quillet.tbin in the hand-off folder: $($_.Exception.Message)"
}
try {
    $stream.Write($mark, 0, $mark.Length)
    $stream.Write($body, 0, $body.Length)
    $stream.Close()
} catch {
    $stream.Dispose()
    Remove-Item -LiteralPath $inputPath -Force  # never leave a partial input behind
    Stop-WithError 1 "cannot write Quillet.tbin: $($_.Exception.Message)"
}

# Start Vornel.exe by its full path, without arguments, and wait for its end. Vornel ends by
# itself; only when the user enabled its messages does it first wait for its message box to be
# closed. Its exit code tells nothing about the outcome, so it is not read.
try {
    $process = Start-Process -FilePath $vornelFullPath -PassThru
} catch {
    Remove-Item -LiteralPath $inputPath -Force  # nobody will take it
    Stop-WithError 4 "Vornel.exe could not be started: $($_.Exception.Message)"
}
if (-not $process.WaitForExit($TimeoutSeconds * 1000)) {
    # The run may still convert the input: leave both files to it.
    Stop-WithError 4 'Vornel.exe did not end in time (a message box waiting?)'
}

# The outcome shows in the files: a converted input is gone, a refused one is still there.
if (Test-Path -LiteralPath $inputPath) {
    # Refused: an empty file, a character other than 0, 1 and line breaks, a line of more than
    # 31 characters, or a result that could not be written. Remove it, or every later start
    # refuses it again.
    Remove-Item -LiteralPath $inputPath -Force
    Stop-WithError 5 'Vornel refused the input (only 0 and 1, at most 31 digits a line, not empty)'
}

# Read the result at once: the next run replaces it. ASCII digits, each number followed by
# CR LF; no lines at all when the list held no number.
try {
    $lines = [System.IO.File]::ReadAllLines($resultPath)
} catch {
    Stop-WithError 5 "no result file Ostrum.tbin: $($_.Exception.Message)"
}
foreach ($line in $lines) {
    [long] $line
}
exit 0
