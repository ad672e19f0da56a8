#!/usr/bin/env bash
# The setup program as a surveyor's PC meets it, under Wine on the current X display: a fresh Wine
# prefix in Czech regional settings, a silent install for the current user, the installed window
# (a screenshot), the installed console twin on one area, on a Czech Excel table and on workbooks
# (byte for byte the Linux program's output), then a silent uninstall that leaves nothing behind.
#
#   check-installed.sh SETUP.exe LINUX-PROGRAM OUTPUT-FOLDER
set -euo pipefail
setup=$(realpath "$1") linux=$(realpath "$2") out=$(realpath "$3")
export LOCPATH="${MO_LOCPATH:?the Czech locale for Wine}"
export WINEPREFIX="$out/wine-installed" WINEDEBUG=-all
# Bash itself cannot load the locale from LOCPATH, only the programs it starts.
{ export LC_ALL=cs_CZ.UTF-8; } 2>/dev/null
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
fail() { echo "CHYBA: $*" >&2; exit 1; }
# The uninstaller copies itself away and returns at once: wait (a minute at most) for it to finish.
uninstalled() {
    for _ in $(seq 60); do
        [ -e "$1" ] || break
        sleep 1
    done
    wineserver -w || true
}

wine "$setup" /S
appdata=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')")
roaming=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')")
dir="$appdata/Programs/mezni-odchylka"
shortcut="$roaming/Microsoft/Windows/Start Menu/Programs/Výpočet mezní odchylky.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\cz.zememerici.MezniOdchylka'
[ -f "$dir/mezni-odchylka.exe" ] && [ -f "$dir/mezni-odchylka.com" ] || fail "nic nenainstalováno do $dir"
[ -f "$shortcut" ] || fail "chybí zástupce v nabídce Start"
entry=$(wine reg query "$key" | tr -d '\r' | iconv -f CP852 -t UTF-8) # reg writes in the OEM code page
grep -aq 'DisplayVersion.*REG_SZ' <<<"$entry" && grep -aq 'Publisher.*REG_SZ' <<<"$entry" ||
    fail "chybí záznam v seznamu programů"
echo "nainstalováno: $(find "$dir" -type f | wc -l) souborů v $(winepath -w "$dir"), zástupce, záznam:"
grep -aE 'DisplayName|DisplayVersion|Publisher|UninstallString' <<<"$entry" | sed 's/^ */  /'

# One area, in the console twin, in Czech settings.
expected=$'Výměra parcely: 2500\nHodnota mezní odchylky: 14,5\nDvojnásobek mezní odchylky: 29,0\nMezní hodnoty pro danou výměru: MIN 2\u00a0471,0, MAX 2\u00a0529,0'
got=$(cd "$dir" && wine ./mezni-odchylka.com 2500)
[ "$got" = "$expected" ] || fail "mezni-odchylka.com 2500 vypsal: $got"
echo "mezni-odchylka.com 2500:"
sed 's/^/  /' <<<"$got"

# A Czech Excel table: Windows-1250, semicolons, CRLF, quotes, a line break in a field, a bad row.
table="$out/výměry-čtvrť.csv" # a Czech file name, as Explorer shows it
printf 'Parcela;V\xfdm\xecra [m2];Pozn\xe1mka\r\n"1/1";2500;"a;b ""c"""\r\n2;1\xa0234,5;"dv\xec\r\n\xf8\xe1dky"\r\n3;abc;\r\n\r\n4;900\r\n' >"$table"
LC_ALL=C.UTF-8 "$linux" -s "$table" >"$out/excel-cs.linux.csv" 2>/dev/null || [ $? -eq 1 ]
(cd "$(dirname "$table")" && wine "$dir/mezni-odchylka.com" -s "$(basename "$table")" -o excel-cs.windows.csv) ||
    [ $? -eq 1 ] || fail "tabulka pod Windows neprošla"
(cd "$(dirname "$table")" && wine "$dir/mezni-odchylka.com" -s "$(basename "$table")" >excel-cs.windows-stdout.csv) ||
    [ $? -eq 1 ] || fail "tabulka na standardní výstup pod Windows neprošla"
cmp "$out/excel-cs.linux.csv" "$out/excel-cs.windows.csv"
cmp "$out/excel-cs.linux.csv" "$out/excel-cs.windows-stdout.csv"
echo "tabulka z českého Excelu: výstup pod Windows (-o i standardní výstup) je bajt po bajtu týž jako pod Linuxem ($(wc -c <"$out/excel-cs.linux.csv") B)"

# Workbooks (openpyxl's .xlsx with each row's own scale, odfpy's .ods): the same bytes as on Linux.
workbooks="$out/workbooks"
rm -rf "$workbooks" && mkdir -p "$workbooks"
/usr/bin/python3 "$(dirname "$0")/../../tests/workbooks.py" make "$workbooks"
for args in "openpyxl.xlsx --sloupec-meritka 3" "odfpy.ods"; do
    set -- $args
    book=$1 && shift
    LC_ALL=C.UTF-8 "$linux" -s "$workbooks/$book" "$@" -o "$workbooks/linux-$book" 2>/dev/null ||
        [ $? -eq 1 ] || fail "sešit $book pod Linuxem neprošel"
    (cd "$workbooks" && wine "$dir/mezni-odchylka.com" -s "$book" "$@" -o "windows-$book") ||
        [ $? -eq 1 ] || fail "sešit $book pod Windows neprošel"
    cmp "$workbooks/linux-$book" "$workbooks/windows-$book"
done
echo "sešity .xlsx (měřítko z řádků) a .ods: výstup pod Windows je bajt po bajtu týž jako pod Linuxem"

# The exit statuses scripts rely on.
statuses=""
for args in "abc" "-x" "2500"; do
    status=0
    (cd "$dir" && wine ./mezni-odchylka.com $args >/dev/full 2>/dev/null) || status=$?
    statuses+="$args→$status "
done
[ "$statuses" = "abc→1 -x→2 2500→4 " ] || fail "návratové kódy: $statuses"
echo "návratové kódy: chybná výměra 1, chybná volba 2, plný disk 4"

# The installed window: type an area, press Enter, take a screenshot.
shot="$out/okno-windows.png"
(cd "$dir" && wine explorer /desktop=okno,800x600 ./mezni-odchylka.exe) &
for _ in $(seq 60); do
    xdotool search --name 'Výpočet mezní odchylky' >/dev/null 2>&1 && break
    sleep 1
done
sleep 2
xdotool type --delay 60 2500
xdotool key Return
sleep 2
import -window root "$shot"
wineserver -k || true
wait || true
echo "snímek okna: $shot"

# Offered in Explorer's "Open with" for tables, the default program of .csv left alone; a table
# given as the window program's only argument (a drop on its icon) opens in the table window.
classes='HKCU\Software\Classes'
wine reg query "$classes\.csv\OpenWithProgids" /v cz.zememerici.MezniOdchylka.csv >/dev/null 2>&1 ||
    fail "program není v nabídce Otevřít v programu pro .csv"
! wine reg query "$classes\.csv" /ve 2>/dev/null | tr -d '\r' | grep -aq 'MezniOdchylka' ||
    fail "instalace převzala výchozí program pro .csv"
tableShot="$out/tabulka-windows.png"
# As Explorer passes it: a Windows path.
wine start /unix "$dir/mezni-odchylka.exe" "$(winepath -w "$table")"
for _ in $(seq 60); do
    xdotool search --name "$(basename "$table")" >/dev/null 2>&1 && break
    sleep 1
done
xdotool search --name "$(basename "$table")" >/dev/null 2>&1 || fail "okno tabulky se neotevřelo"
sleep 3
import -window root "$tableShot"
wineserver -k || true
echo "tabulka přetažená na program: okno tabulky, snímek: $tableShot"

wine "$dir/uninstall.exe" /S
uninstalled "$dir"
! wine reg query "$classes\.csv\OpenWithProgids" /v cz.zememerici.MezniOdchylka.csv >/dev/null 2>&1 ||
    fail "po odinstalaci zůstal program v nabídce Otevřít v programu"
[ ! -e "$dir" ] || fail "po odinstalaci zůstalo: $(find "$dir" | head -5)"
[ ! -e "$shortcut" ] || fail "po odinstalaci zůstal zástupce"
! wine reg query "$key" >/dev/null 2>&1 || fail "po odinstalaci zůstal záznam v seznamu programů"
echo "odinstalováno: složka, zástupce i záznam jsou pryč"

# For all users, as an IT department installs it (Wine's user counts as an administrator).
export WINEPREFIX="$out/wine-installed-all"
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine "$setup" /S /AllUsers
programs=$(winepath -u "$(wine cmd /c 'echo %ProgramFiles%' | tr -d '\r')")
common=$(winepath -u "$(wine cmd /c 'echo %ProgramData%' | tr -d '\r')")
dir="$programs/mezni-odchylka"
shortcut="$common/Microsoft/Windows/Start Menu/Programs/Výpočet mezní odchylky.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\cz.zememerici.MezniOdchylka'
[ -f "$dir/mezni-odchylka.com" ] && [ -f "$shortcut" ] && wine reg query "$key" >/dev/null 2>&1 ||
    fail "instalace pro všechny uživatele neprošla"
wine "$dir/uninstall.exe" /S /AllUsers
uninstalled "$dir"
[ ! -e "$dir" ] && [ ! -e "$shortcut" ] && ! wine reg query "$key" >/dev/null 2>&1 ||
    fail "odinstalace pro všechny uživatele nechala něco po sobě"
echo "pro všechny uživatele (/AllUsers): nainstalováno do $(winepath -w "$dir") a zase odinstalováno"
