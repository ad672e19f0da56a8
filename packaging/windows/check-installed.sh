#!/usr/bin/env bash
# The setup program as a surveyor's PC meets it, under Wine on the current X display, in Czech
# regional settings. First a fresh prefix with a silent install for the current user: the
# installed window (a screenshot), the console twin found through the PATH the installer set, on
# one area, its text redirected from consoles of code pages 852, 1250 and 65001, messages and
# results in the order of the areas, a Czech Excel table (byte for byte the Linux program's
# output, and shown decoded in a console) and workbooks, a table and a workbook opened in the
# table window and closed (no crash, no process left), the uninstaller and the installer refusing
# while a copy runs, then an uninstall by the README's command that leaves nothing behind. Then a
# second prefix with a PATH of several thousand characters: a quoted /D= refused, an install
# into a folder of the user's choice upgraded by a plain install and then moved (no folder of it
# left), an install for all users beside it (the installer's first page names the other, its
# last page a screenshot), each uninstalled by the README's command without touching the other,
# and the PATH as it was.
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
# A registry value as text (reg writes in the OEM code page), and whether a key is there.
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | iconv -f CP852 -t UTF-8 |
    sed -n 's/^ *[^ ]*    REG_[A-Z_]*    //p'; }
type_of() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -o 'REG_[A-Z_]*' | head -1; }
has_key() { wine reg query "$1" >/dev/null 2>&1; }
# What the installer or uninstaller left in %TEMP%.
temp_dir() { winepath -u "$(wine cmd /c 'echo %TEMP%' | tr -d '\r')"; }
temp_left() { find "$(temp_dir)" -mindepth 1 | head -3; }
# Whether a program of the install still runs.
running() { pgrep -f 'mezni-odchylka\.(exe|com)' >/dev/null; }
# A window whose title has this text: there within a minute; closed by Alt+F4, and no program of
# the install running within half a minute.
opened() {
    for _ in $(seq 60); do
        xdotool search --name "$1" >/dev/null 2>&1 && return 0
        sleep 1
    done
    return 1
}
closed() {
    xdotool windowfocus --sync "$(xdotool search --name "$1" | head -1)"
    xdotool key alt+F4
    for _ in $(seq 30); do
        running || return 0
        sleep 1
    done
    return 1
}
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

# The console finds the program through the user's PATH, from any folder; one area, in Czech
# settings, with Windows line ends in a file.
case ";$(value 'HKCU\Environment' Path);" in
*";$(winepath -w "$dir");"*) ;;
*) fail "instalace nepřidala složku programu do PATH uživatele" ;;
esac
expected=$'Výměra parcely: 2500\nHodnota mezní odchylky: 14,5\nDvojnásobek mezní odchylky: 29,0\nMezní hodnoty pro danou výměru: MIN 2\u00a0471,0, MAX 2\u00a0529,0'
wine cmd /c 'cd /d C:\ && mezni-odchylka 2500 > C:\vysledek.txt' ||
    fail "příkaz mezni-odchylka se v příkazovém řádku nenašel"
result="$(winepath -u 'C:\vysledek.txt')"
got=$(tr -d '\r' <"$result")
[ "$got" = "$expected" ] || fail "mezni-odchylka 2500 vypsal: $got"
[ "$(grep -c $'\r$' "$result")" = 4 ] || fail "výsledek v souboru nemá konce řádků Windows"
echo "mezni-odchylka 2500 z C:\ (nalezen přes PATH), do souboru s CRLF:"
sed 's/^/  /' <<<"$got"

# In a console of its own (Wine's, on a terminal): the screen's text, escapes and CR taken out.
console() { script -qc "stty cols 200 rows 50; wine cmd /c '$1'" /dev/null | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\r'; }
# Text for people redirected from consoles in Czech code pages (852 is Windows' own for Czech):
# in the console's code page, which type, more and findstr there read back as it was written (here
# type and more: Wine's findstr prints nothing); messages and results in the order of the areas,
# in one file too.
message="mezni-odchylka: „abc“: Výměra musí být číslo"
redirected="$(winepath -u 'C:\presmerovano.txt')"
for cp in 852 1250 65001; do
    rm -f "$redirected"
    console "chcp $cp >nul & cd /d C:\\ & mezni-odchylka abc 2500 > C:\\presmerovano.txt 2>&1" >/dev/null
    encoding=CP$cp && [ $cp != 65001 ] || encoding=UTF-8
    written=$(iconv -f "$encoding" -t UTF-8 <"$redirected" | tr -d '\r')
    # Code page 852 has no Czech quotation marks: Windows writes the nearest, plain quotes.
    said=$message && [ $cp != 852 ] || { said=${message//„/\"} && said=${said//“/\"}; }
    [ "${written#*: }" = "${said#*: }"$'\n'"$expected" ] && [ "${written%%: *}" = mezni-odchylka ] ||
        fail "přesměrováno z konzole $cp ($encoding): $written"
    [ "$(grep -c $'\r$' "$redirected")" = 5 ] || fail "přesměrovaný text z konzole $cp nemá konce řádků Windows"
    shown=$(console "chcp $cp >nul & type C:\\presmerovano.txt & type C:\\presmerovano.txt | more")
    [ "$shown" = "$written"$'\n'"$written" ] || fail "type a more v konzoli $cp ukázaly: $shown"
    shown=$(console "chcp $cp >nul & mezni-odchylka 2500 | more")
    [ "$shown" = "$expected" ] || fail "mezni-odchylka 2500 | more v konzoli $cp ukázal: $shown"
done
echo "přesměrováno (> soubor 2>&1, |) z konzolí 852, 1250 a 65001: v kódové stránce konzole, type i more je ukážou, jak byly napsány:"
sed 's/^/  /' <<<"$written"
# On the console itself, the same order.
shown=$(console "mezni-odchylka abc 2500 xyz 100")
order=$(grep -E '^(mezni-odchylka|Výměra parcely)' <<<"$shown" | cut -c1-30)
[ "$order" = "$(printf '%s\n' "mezni-odchylka: „abc“: Výměra" "Výměra parcely: 2500" \
    "mezni-odchylka: „xyz“: Výměra" "Výměra parcely: 100" | cut -c1-30)" ] ||
    fail "pořadí v konzoli: $shown"
echo "v konzoli: zprávy a výsledky v pořadí výměr (abc, 2500, xyz, 100)"

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

# The same table shown in a console (Wine's, on a terminal of its own): the text of the table as
# Windows-1250 gives it, with the program's own headers.
shown=$(cd "$(dirname "$table")" &&
    script -qc "stty cols 400 rows 50; wine '$dir/mezni-odchylka.com' -s '$(basename "$table")' 2>/dev/null" /dev/null |
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\r')
decoded=$(iconv -f CP1250 -t UTF-8 <"$out/excel-cs.linux.csv" | tr -d '\r')
[ "$shown" = "$decoded" ] || fail "konzole ukázala tabulku jinak: $shown"
echo "tabulka z českého Excelu v konzoli:"
sed 's/^/  /' <<<"$shown"
consoleShot="$out/konzole-windows.png"
wine start cmd /k "cd /d $(winepath -w "$(dirname "$table")") && mezni-odchylka -s $(basename "$table")"
sleep 8
import -window root "$consoleShot"
wineserver -k || true
echo "snímek konzole: $consoleShot"

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
# As Explorer passes it: a Windows path. Closed by Alt+F4, the window takes its process with it.
wine start /unix "$dir/mezni-odchylka.exe" "$(winepath -w "$table")"
opened "$(basename "$table")" || fail "okno tabulky se neotevřelo"
sleep 3
import -window root "$tableShot"
closed "$(basename "$table")" || fail "po zavření okna tabulky program dál běží"
echo "tabulka přetažená na program: okno tabulky (snímek $tableShot), zavřeno Alt+F4, proces skončil"

# A workbook as "Open with" opens it, closed by Alt+F4 once it is read: no crash (Wine's
# debugger would keep the process), no process left.
book="$workbooks/openpyxl.xlsx"
wine start /unix "$dir/mezni-odchylka.exe" --okno "$(winepath -w "$book")"
opened openpyxl.xlsx || fail "okno sešitu se neotevřelo"
sleep 3
closed openpyxl.xlsx || fail "po zavření okna sešitu program dál běží (nebo spadl)"
! pgrep -f winedbg >/dev/null || fail "okno sešitu spadlo"
echo "sešit otevřený jako z nabídky Otevřít v programu: zavřeno Alt+F4 bez pádu, proces skončil"

# A copy running: the uninstaller and the installer change nothing, and their status says why.
wine start /unix "$dir/mezni-odchylka.exe"
opened 'Výpočet mezní odchylky' || fail "okno programu se neotevřelo"
files=$(find "$dir" -type f | wc -l)
intact() {
    [ "$(find "$dir" -type f | wc -l)" = "$files" ] && [ -f "$shortcut" ] && has_key "$key" &&
        case ";$(value 'HKCU\Environment' Path);" in *";$(winepath -w "$dir");"*) true ;; *) false ;; esac
}
status=0
wine "$dir/uninstall.exe" /S || status=$?
[ $status = 32 ] && intact || fail "odinstalace vedle běžící kopie: kód $status, instalace $(intact && echo celá || echo poškozená)"
status=0
wine "$setup" /S || status=$?
[ $status = 32 ] && intact || fail "instalace přes běžící kopii: kód $status, instalace $(intact && echo celá || echo poškozená)"
closed 'Výpočet mezní odchylky' || fail "po zavření okna program dál běží"
echo "vedle běžící kopie: uninstall.exe /S i setup /S skončily kódem 32, instalace zůstala celá ($files souborů)"

# The installed folder's README is the installer's; the zip's own says nothing of PATH changes
# or an uninstaller it does not have.
zipReadme=$(find "$out/stage" -path '*-win64/README.txt' | head -1)
grep -q 'uninstall.exe' "$dir/README.txt" && ! grep -q 'uninstall.exe' "$zipReadme" ||
    fail "README.txt instalace a archivu .zip"
[ -z "$(value "$key" Contact)" ] || fail "záznam v seznamu programů uvádí kontakt: $(value "$key" Contact)"

# The README's command.
wine "$dir/uninstall.exe" /S
uninstalled "$dir"
! wine reg query "$classes\.csv\OpenWithProgids" /v cz.zememerici.MezniOdchylka.csv >/dev/null 2>&1 ||
    fail "po odinstalaci zůstal program v nabídce Otevřít v programu"
[ ! -e "$dir" ] || fail "po odinstalaci zůstalo: $(find "$dir" | head -5)"
[ ! -e "$shortcut" ] || fail "po odinstalaci zůstal zástupce"
! has_key "$key" || fail "po odinstalaci zůstal záznam v seznamu programů"
! wine reg query 'HKCU\Environment' /v Path >/dev/null 2>&1 ||
    fail "po odinstalaci zůstala hodnota Path, která před instalací nebyla: „$(value 'HKCU\Environment' Path)“"
[ -z "$(temp_left)" ] || fail "po odinstalaci zůstalo v TEMP: $(temp_left)"
echo "odinstalováno: složka, zástupce, záznam i Path (před instalací nebyla) jsou pryč, v TEMP nic"

# A second prefix, with a user's PATH longer than the installer's own strings could hold, of
# expandable entries; PATH as Windows keeps it for the system, too.
export WINEPREFIX="$out/wine-installed-two"
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
environment='HKCU\Environment'
system='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
long=""
for i in $(seq 0 140); do long+="%ProgramFiles%\\Nástroj $i\\bin;"; done
long=${long%;}
wine reg add "$environment" /v Path /t REG_EXPAND_SZ /d "$long" /f >/dev/null
systemPath=$(value "$system" PATH)
systemType=$(type_of "$system" PATH)
appdata=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')")
roaming=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')")
programs=$(winepath -u "$(wine cmd /c 'echo %ProgramFiles%' | tr -d '\r')")
common=$(winepath -u "$(wine cmd /c 'echo %ProgramData%' | tr -d '\r')")
userKey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\cz.zememerici.MezniOdchylka'
allKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\cz.zememerici.MezniOdchylka'
userShortcut="$roaming/Microsoft/Windows/Start Menu/Programs/Výpočet mezní odchylky.lnk"
allShortcut="$common/Microsoft/Windows/Start Menu/Programs/Výpočet mezní odchylky (pro všechny uživatele).lnk"

# A folder of the user's choice, then a plain install: an upgrade there, not a second copy. /D
# takes the rest of the command line unquoted, as cmd passes it.
cp "$setup" "$WINEPREFIX/drive_c/setup.exe"
install_into() { wine cmd /c "C:\setup.exe /S /D=$1" && wineserver -w; }
chosen='C:\Nástroje\Mezní odchylka'
# Quoted, as deployment tools pass it, /D= would be ignored: refused, with Windows' status for a
# wrong parameter, and nothing installed.
status=0
wine "$WINEPREFIX/drive_c/setup.exe" /S "/D=$chosen" || status=$?
[ $status = 87 ] && [ ! -e "$(winepath -u "$chosen")" ] && [ ! -e "$appdata/Programs/mezni-odchylka" ] ||
    fail "/D= v uvozovkách: kód $status"
echo "setup /S \"/D=$chosen\" (v uvozovkách): odmítnuto kódem 87, nic nenainstalováno"
install_into "$chosen"
wine "$setup" /S
[ -f "$(winepath -u "$chosen")/mezni-odchylka.exe" ] || fail "aktualizace nezůstala ve zvolené složce"
[ ! -e "$appdata/Programs/mezni-odchylka" ] || fail "aktualizace vytvořila druhou kopii ve výchozí složce"
[ "$(value "$userKey" InstallLocation)" = "$chosen" ] || fail "záznam ukazuje jinam: $(value "$userKey" InstallLocation)"
[ "$(value "$environment" Path)" = "$long;$chosen" ] && [ "$(type_of "$environment" Path)" = REG_EXPAND_SZ ] ||
    fail "PATH po instalaci: $(type_of "$environment" Path) …$(value "$environment" Path | tail -c 120)"
echo "instalace do $chosen a pak prostá instalace: aktualizováno tamtéž, PATH (${#long} znaků, REG_EXPAND_SZ) jen doplněna"
# Another folder chosen: the install moves, nothing left in the old one.
moved='C:\Jinam\mezni-odchylka'
install_into "$moved"
[ ! -e "$(winepath -u 'C:\Nástroje')" ] || fail "po přesunu zůstalo: $(find "$(winepath -u 'C:\Nástroje')" | head -3)"
[ "$(value "$userKey" InstallLocation)" = "$moved" ] && [ "$(value "$environment" Path)" = "$long;$moved" ] ||
    fail "po přesunu: $(value "$userKey" InstallLocation), …$(value "$environment" Path | tail -c 80)"
echo "instalace do jiné složky: přesunuto do $moved, stará složka (i C:\Nástroje, kterou instalace založila) a její položka v PATH pryč"

# For all users beside it, as an IT department installs it (Wine's user counts as an
# administrator): two entries and two shortcuts that tell which is which.
wine "$setup" /S /AllUsers
allDir="$programs/mezni-odchylka"
[ -f "$allDir/mezni-odchylka.com" ] && [ -f "$allShortcut" ] && [ -f "$userShortcut" ] ||
    fail "instalace pro všechny uživatele vedle instalace uživatele neprošla"
[ "$(value "$allKey" DisplayName)" = "Výpočet mezní odchylky (pro všechny uživatele)" ] &&
    [ "$(value "$userKey" DisplayName)" = "Výpočet mezní odchylky" ] ||
    fail "záznamy v seznamu programů: $(value "$userKey" DisplayName) / $(value "$allKey" DisplayName)"
[ -n "$(value "$allKey" HelpLink)" ] && [ -z "$(value "$allKey" Contact)" ] ||
    fail "záznam bez odkazu na README, nebo s kontaktem, který nikdo nedal"
case ";$(value "$system" PATH);" in
*";$(winepath -w "$allDir");"*) ;;
*) fail "instalace pro všechny nepřidala složku do systémové PATH" ;;
esac
echo "vedle sebe: „$(value "$userKey" DisplayName)“ v $(value "$userKey" InstallLocation) a „$(value "$allKey" DisplayName)“ v $(value "$allKey" InstallLocation)"

# The installer's first page names both installs (a screenshot); taken through to its last page
# (a screenshot), it upgrades the user's own install where it is.
pageShot="$out/instalace-windows.png"
lastShot="$out/instalace-konec-windows.png"
wine "$setup" &
opened 'Instalace programu' || fail "instalace se neotevřela"
sleep 3
import -window root "$pageShot"
xdotool windowfocus --sync "$(xdotool search --name 'Instalace programu' | head -1)"
xdotool key Return # for whom: as it stands
sleep 2
xdotool key Return # the folder: install
for _ in $(seq 60); do
    [ "$(value "$userKey" DisplayVersion)" ] && [ -f "$(winepath -u "$moved")/uninstall.exe" ] &&
        [ "$(wine reg query "$userKey" /v EstimatedSize 2>/dev/null)" ] && break
    sleep 1
done
sleep 5
import -window root "$lastShot"
xdotool key alt+s Return # not started: finished
wait || true
running && fail "instalace spustila program, i když neměla"
[ "$(value "$userKey" InstallLocation)" = "$moved" ] || fail "instalace z průvodce: $(value "$userKey" InstallLocation)"
echo "první a poslední stránka instalace: $pageShot, $lastShot"

# The README's command for the install for all users, without /AllUsers: that install goes,
# the user's own stays whole.
wine "$(winepath -w "$allDir")\uninstall.exe" /S
uninstalled "$allDir"
[ ! -e "$allDir" ] && [ ! -e "$allShortcut" ] && ! has_key "$allKey" ||
    fail "odinstalace pro všechny uživatele nechala něco po sobě"
[ "$(value "$system" PATH)" = "$systemPath" ] && [ "$(type_of "$system" PATH)" = "$systemType" ] ||
    fail "systémová PATH po odinstalaci: $(value "$system" PATH)"
[ -f "$(winepath -u "$moved")/mezni-odchylka.com" ] && [ -f "$userShortcut" ] && has_key "$userKey" &&
    [ "$(value "$environment" Path)" = "$long;$moved" ] ||
    fail "odinstalace pro všechny uživatele poškodila instalaci uživatele"
echo "odinstalováno pro všechny uživatele (uninstall.exe /S): pryč, systémová PATH jako předtím; instalace uživatele celá"
wine "$(winepath -u "$moved")/uninstall.exe" /S
uninstalled "$(winepath -u "$moved")"
[ ! -e "$(winepath -u 'C:\Jinam')" ] && [ ! -e "$userShortcut" ] && ! has_key "$userKey" ||
    fail "odinstalace uživatele nechala něco po sobě"
[ "$(value "$environment" Path)" = "$long" ] && [ "$(type_of "$environment" Path)" = REG_EXPAND_SZ ] ||
    fail "PATH po odinstalaci není, jaká byla: …$(value "$environment" Path | tail -c 120)"
[ -z "$(temp_left)" ] || fail "po odinstalaci zůstalo v TEMP: $(temp_left)"
echo "odinstalováno i pro uživatele: PATH přesně jako před instalací (${#long} znaků, %ProgramFiles% nerozvinuté), v TEMP nic"
