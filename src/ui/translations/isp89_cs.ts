<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs">
<context>
    <name>HexView</name>
    <message>
        <source>No image yet: open a file, or read the chip.</source>
        <translation>Zatím žádný obraz: otevřete soubor, nebo přečtěte čip.</translation>
    </message>
</context>
<context>
    <name>OperationLog</name>
    <message>
        <source>Time</source>
        <translation>Čas</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Chip</source>
        <translation>Čip</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Soubor</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Výsledek</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Trvání</translation>
    </message>
</context>
<context>
    <name>PortFailureText</name>
    <message>
        <source>choose another port in the port menu</source>
        <translation>zvolte jiný port v nabídce port</translation>
    </message>
    <message>
        <source>your user may not open this device: %1</source>
        <translation>váš uživatel nesmí toto zařízení otevřít: %1</translation>
    </message>
    <message>
        <source>the device belongs to the group %1, and your user is not in it: add it (sudo usermod -aG %1 $USER), then log in again</source>
        <translation>zařízení patří skupině %1 a váš uživatel v ní není: přidejte ho (sudo usermod -aG %1 $USER) a znovu se přihlaste</translation>
    </message>
    <message>
        <source>connect the adapter, or %1</source>
        <translation>připojte adaptér, nebo %1</translation>
    </message>
    <message>
        <source>choose %1 in the port menu</source>
        <translation>zvolte %1 v nabídce port</translation>
    </message>
    <message>
        <source>the port is in use by another program: close it and try again</source>
        <translation>port používá jiný program: zavřete ho a zkuste to znovu</translation>
    </message>
    <message>
        <source>this is not a serial port: %1</source>
        <translation>toto není sériový port: %1</translation>
    </message>
    <message>
        <source>choose the adapter by its device in the port menu</source>
        <translation>zvolte adaptér podle jeho zařízení v nabídce port</translation>
    </message>
    <message>
        <source>Serial port %1 cannot be opened</source>
        <translation>Sériový port %1 nelze otevřít</translation>
    </message>
    <message>
        <source>USB access to the FTDI chip was refused: the udev rule %1 (the isp89 package installs it) gives FTDI chips to the group %2 and the user at the seat; install it, add your user to the group (sudo usermod -aG %2 $USER), log in again and plug the chip in again</source>
        <translation>USB přístup k čipu FTDI byl odepřen: pravidlo udev %1 (instaluje ho balíček isp89) dává čipy FTDI skupině %2 a uživateli u počítače; nainstalujte ho, přidejte svého uživatele do skupiny (sudo usermod -aG %2 $USER), znovu se přihlaste a čip znovu připojte</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>&amp;Don&apos;t ask again</source>
        <translation>&amp;Příště se neptat</translation>
    </message>
</context>
<context>
    <name>TProgForm</name>
    <message>
        <source>&amp;Write</source>
        <translation>Z&amp;apsat</translation>
    </message>
    <message>
        <source>&amp;Read</source>
        <translation>Čís&amp;t</translation>
    </message>
    <message>
        <source>Read &amp;Signature Bytes</source>
        <translation>Číst si&amp;gnaturu</translation>
    </message>
    <message>
        <source>Read &amp;Lock Bits</source>
        <translation>Číst zá&amp;mky</translation>
    </message>
    <message>
        <source>&amp;Test</source>
        <translation>T&amp;est</translation>
    </message>
    <message>
        <source>Signature</source>
        <translation>Signatura</translation>
    </message>
    <message>
        <source>Lock Bits</source>
        <translation>Zámkové bity</translation>
    </message>
    <message>
        <source>LB&amp;1</source>
        <translation>LB&amp;1</translation>
    </message>
    <message>
        <source>LB&amp;2</source>
        <translation>LB&amp;2</translation>
    </message>
    <message>
        <source>LB&amp;3</source>
        <translation>LB&amp;3</translation>
    </message>
    <message>
        <source>Writ&amp;e</source>
        <translation>Zapis&amp;ovat</translation>
    </message>
    <message>
        <source>&amp;device</source>
        <translation>&amp;zařízení</translation>
    </message>
    <message>
        <source>AT89S5&amp;1</source>
        <translation>AT89S5&amp;1</translation>
    </message>
    <message>
        <source>AT89S5&amp;2</source>
        <translation>AT89S5&amp;2</translation>
    </message>
    <message>
        <source>&amp;port</source>
        <translation>&amp;port</translation>
    </message>
    <message>
        <source>&amp;chip</source>
        <translation>č&amp;ip</translation>
    </message>
    <message>
        <source>&amp;Verify</source>
        <translation>&amp;Ověřit</translation>
    </message>
    <message>
        <source>&amp;Erase</source>
        <translation>&amp;Smazat</translation>
    </message>
    <message>
        <source>&amp;Blank check</source>
        <translation>&amp;Test prázdnosti</translation>
    </message>
    <message>
        <source>Verify after &amp;write</source>
        <translation>Ověřit po &amp;zápisu</translation>
    </message>
    <message>
        <source>&amp;Ask before Erase</source>
        <translation>&amp;Ptát se před smazáním</translation>
    </message>
    <message>
        <source>&amp;help</source>
        <translation>&amp;nápověda</translation>
    </message>
    <message>
        <source>&amp;about isp89</source>
        <translation>&amp;o programu isp89</translation>
    </message>
    <message>
        <source>isp89 %1
In-system programmer for the AT89S51 and AT89S52.
The command line: isp89-cli; the simulated adapter: isp89-sim.

Free software under the GNU General Public License, version 3 or any later version (GPL-3.0-or-later); it comes with no warranty.</source>
        <translation>isp89 %1
Programátor mikrokontrolérů AT89S51 a AT89S52 v zapojení.
Příkazová řádka: isp89-cli; simulovaný adaptér: isp89-sim.

Svobodný software pod licencí GNU General Public License, verze 3 nebo kterékoli pozdější verze (GPL-3.0-or-later); je poskytován bez jakékoli záruky.</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Obrazy</translation>
    </message>
    <message>
        <source>Intel HEX</source>
        <translation>Intel HEX</translation>
    </message>
    <message>
        <source>Raw</source>
        <translation>Binární</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>Všechny soubory</translation>
    </message>
    <message>
        <source>&amp;file</source>
        <translation>&amp;soubor</translation>
    </message>
    <message>
        <source>&amp;open</source>
        <translation>&amp;otevřít</translation>
    </message>
    <message>
        <source>&amp;save</source>
        <translation>&amp;uložit</translation>
    </message>
    <message>
        <source>open &amp;recent</source>
        <translation>otevřít &amp;nedávný</translation>
    </message>
    <message>
        <source>re&amp;load a changed file before Write</source>
        <translation>&amp;znovu načíst změněný soubor před zápisem</translation>
    </message>
    <message>
        <source>&amp;quit</source>
        <translation>&amp;konec</translation>
    </message>
    <message>
        <source>Saved %1 bytes to %2</source>
        <translation>Uloženo %1 bajtů do %2</translation>
    </message>
    <message>
        <source>The image was not saved:
%1</source>
        <translation>Obraz nebyl uložen:
%1</translation>
    </message>
    <message>
        <source>%1 is %2 bytes, longer than the %3-byte memory; the first %3 bytes are used</source>
        <translation>%1 má %2 bajtů, víc než paměť o %3 bajtech; použije se prvních %3 bajtů</translation>
    </message>
    <message>
        <source>Loaded %1</source>
        <translation>Načteno: %1</translation>
    </message>
    <message>
        <source>The image file was not loaded:
%1</source>
        <translation>Soubor s obrazem nebyl načten:
%1</translation>
    </message>
    <message>
        <source>HEX</source>
        <translation>HEX</translation>
    </message>
    <message>
        <source>raw</source>
        <translation>binární</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 B</translation>
    </message>
    <message>
        <source>blank</source>
        <translation>prázdný</translation>
    </message>
    <message>
        <source>sum %1, CRC-32 %2</source>
        <translation>součet %1, CRC-32 %2</translation>
    </message>
    <message>
        <source>%1
%2, %3 on disk; data from %4; %5 over that range</source>
        <translation>%1
%2, %3 na disku; data v rozsahu %4; %5 přes tento rozsah</translation>
    </message>
    <message>
        <source>%1 (%2, %3), loaded at %4: what Write sends</source>
        <translation>%1 (%2, %3), načteno v %4: toto zapíše Zapsat</translation>
    </message>
    <message>
        <source>%1 changed on disk and cannot be loaded again, so nothing was written:
%2

Write it again once the file is complete, or turn off file / reload a changed file before Write.</source>
        <translation>%1 se na disku změnil a nelze ho znovu načíst, proto se nic nezapsalo:
%2

Zapište znovu, až bude soubor úplný, nebo vypněte soubor / znovu načíst změněný soubor před zápisem.</translation>
    </message>
    <message>
        <source>%1 changed on disk: loaded again</source>
        <translation>%1 se na disku změnil: načten znovu</translation>
    </message>
    <message>
        <source>Erase the %1? Its whole flash becomes FF and its lock bits are cleared: what it holds now is lost.</source>
        <translation>Smazat %1? Celá jeho flash bude FF a zámkové bity se vymažou: co teď obsahuje, se ztratí.</translation>
    </message>
    <message>
        <source>Write &amp;Lock Bits</source>
        <translation>Zapsat zá&amp;mky</translation>
    </message>
    <message>
        <source>the write</source>
        <translation>zápis</translation>
    </message>
    <message>
        <source>the read</source>
        <translation>čtení</translation>
    </message>
    <message>
        <source>the signature read</source>
        <translation>čtení signatury</translation>
    </message>
    <message>
        <source>the verify</source>
        <translation>ověření</translation>
    </message>
    <message>
        <source>the erase</source>
        <translation>mazání</translation>
    </message>
    <message>
        <source>the blank check</source>
        <translation>test prázdnosti</translation>
    </message>
    <message>
        <source>the lock-bit read</source>
        <translation>čtení zámkových bitů</translation>
    </message>
    <message>
        <source>the lock-bit write</source>
        <translation>zápis zámkových bitů</translation>
    </message>
    <message>
        <source>the operation</source>
        <translation>operace</translation>
    </message>
    <message>
        <source>Busy: %1 is running; wait until it ends</source>
        <translation>Zaneprázdněno: probíhá %1; počkejte, až skončí</translation>
    </message>
    <message>
        <source>There is no image to write: open an image file first (file / open).</source>
        <translation>Není co zapsat: nejprve otevřete soubor s obrazem (soubor / otevřít).</translation>
    </message>
    <message>
        <source>There is no image to verify: open an image file first (file / open).</source>
        <translation>Není s čím ověřovat: nejprve otevřete soubor s obrazem (soubor / otevřít).</translation>
    </message>
    <message>
        <source>%1 is running...</source>
        <translation>Probíhá %1...</translation>
    </message>
    <message>
        <source>Erasing the chip...</source>
        <translation>Mažu čip...</translation>
    </message>
    <message>
        <source>Reading...</source>
        <translation>Čtu...</translation>
    </message>
    <message>
        <source>Writing...</source>
        <translation>Zapisuji...</translation>
    </message>
    <message>
        <source>Verifying...</source>
        <translation>Ověřuji...</translation>
    </message>
    <message>
        <source>Checking that the chip is blank...</source>
        <translation>Zjišťuji, zda je čip prázdný...</translation>
    </message>
    <message>
        <source>%1:%2 left</source>
        <translation>zbývá %1:%2</translation>
    </message>
    <message>
        <source>%1 in %2</source>
        <translation>%1 za %2</translation>
    </message>
    <message>
        <source>(the link uses %1, chosen in the port menu)</source>
        <translation>(spojení používá %1, zvolený v nabídce port)</translation>
    </message>
    <message>
        <source>%1 is running. Stop it and close the window?

A stopped write leaves the chip partly written; a stopped read leaves no image.</source>
        <translation>Probíhá %1. Zastavit a zavřít okno?

Zastavený zápis nechá čip zapsaný jen zčásti; zastavené čtení nezanechá žádný obraz.</translation>
    </message>
    <message>
        <source>Stopping %1...</source>
        <translation>Zastavuji: %1...</translation>
    </message>
    <message>
        <source>%1 (not found)</source>
        <translation>%1 (nenalezen)</translation>
    </message>
    <message>
        <source>%1: the system does not list it now</source>
        <translation>%1: systém ho teď neuvádí</translation>
    </message>
    <message>
        <source>%1: %2, driving the target&apos;s pins itself</source>
        <translation>%1: %2, sám ovládá vývody cílového čipu</translation>
    </message>
    <message>
        <source>no serial port found</source>
        <translation>nenalezen žádný sériový port</translation>
    </message>
    <message>
        <source>The chip answers the signature %1: it is an %2, not the %3 chosen in the device menu.

Switch the device to the %2?</source>
        <translation>Čip odpovídá signaturou %1: je to %2, ne %3 zvolený v nabídce zařízení.

Přepnout zařízení na %2?</translation>
    </message>
    <message>
        <source>Read from the %1 at %2: what save writes</source>
        <translation>Přečteno z %1 v %2: toto uloží Uložit</translation>
    </message>
    <message>
        <source>%1 had changed on disk and was loaded again. </source>
        <translation>%1 se na disku změnil a byl načten znovu. </translation>
    </message>
    <message>
        <source>The chip hid its signature behind lock bit 2 and was erased first. </source>
        <translation>Čip skrýval signaturu za zámkovým bitem 2, a proto byl nejprve smazán. </translation>
    </message>
    <message>
        <source>%1 is blank (all FF): the %2 was erased and no page written</source>
        <translation>%1 je prázdný (samé FF): %2 byl smazán a nezapsala se žádná stránka</translation>
    </message>
    <message>
        <source>Wrote %1 to the %2: %3, %4</source>
        <translation>Zapsán %1 do %2: %3, %4</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) written</source>
        <translation>
            <numerusform>zapsána %n stránka</numerusform>
            <numerusform>zapsány %n stránky</numerusform>
            <numerusform>zapsáno %n stránek</numerusform>
        </translation>
    </message>
    <message>
        <source>not verified</source>
        <translation>neověřeno</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) verified</source>
        <translation>
            <numerusform>ověřena %n stránka</numerusform>
            <numerusform>ověřeny %n stránky</numerusform>
            <numerusform>ověřeno %n stránek</numerusform>
        </translation>
    </message>
    <message>
        <source>Read %1 bytes from the %2</source>
        <translation>Přečteno %1 bajtů z %2</translation>
    </message>
    <message>
        <source>Read the signature %1 (%2)</source>
        <translation>Přečtena signatura %1 (%2)</translation>
    </message>
    <message>
        <source>no known chip</source>
        <translation>žádný známý čip</translation>
    </message>
    <message>
        <source>Verified %1 bytes: the %2 holds %3</source>
        <translation>Ověřeno %1 bajtů: %2 obsahuje %3</translation>
    </message>
    <message>
        <source>Erased the %1</source>
        <translation>Smazán %1</translation>
    </message>
    <message>
        <source>Blank check passed: %1 bytes erased</source>
        <translation>Test prázdnosti prošel: %1 bajtů smazáno</translation>
    </message>
    <message>
        <source>Read the lock bits: %1</source>
        <translation>Přečteny zámkové bity: %1</translation>
    </message>
    <message>
        <source>Programmed no lock bit; the chip reads %1</source>
        <translation>Nenaprogramován žádný zámkový bit; čip hlásí %1</translation>
    </message>
    <message>
        <source>Programmed %1; the chip reads %2</source>
        <translation>Naprogramováno %1; čip hlásí %2</translation>
    </message>
    <message>
        <source> and </source>
        <translation> a </translation>
    </message>
    <message>
        <source>%1 is done</source>
        <translation>Hotovo: %1</translation>
    </message>
    <message>
        <source>%1 was not started: the chip is an %2, not the %3</source>
        <translation>Nespuštěno (%1): čip je %2, ne %3</translation>
    </message>
    <message numerus="yes">
        <source>%n byte(s) differ</source>
        <translation>
            <numerusform>liší se %n bajt</numerusform>
            <numerusform>liší se %n bajty</numerusform>
            <numerusform>liší se %n bajtů</numerusform>
        </translation>
    </message>
    <message>
        <source>the verify after the write</source>
        <translation>ověření po zápisu</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>Nepodařilo se dokončit %1: %2</translation>
    </message>
    <message>
        <source>%1 failed:
%2</source>
        <translation>Nepodařilo se dokončit %1:
%2</translation>
    </message>
    <message>
        <source>%1 stopped after %2</source>
        <translation>Zastaveno po %2: %1</translation>
    </message>
    <message>
        <source>%1 failed after %2</source>
        <translation>Nepodařilo se dokončit %1 (po %2)</translation>
    </message>
    <message numerus="yes">
        <source>the chip is erased and %1 of %n page(s) written</source>
        <translation>
            <numerusform>čip je smazaný a zapsáno %1 z %n stránky</numerusform>
            <numerusform>čip je smazaný a zapsáno %1 z %n stránek</numerusform>
            <numerusform>čip je smazaný a zapsáno %1 z %n stránek</numerusform>
        </translation>
    </message>
    <message>
        <source>the chip is erased</source>
        <translation>čip je smazaný</translation>
    </message>
    <message>
        <source>%1 of %2 bytes differ; the first at %3: chip %4, %5 %6</source>
        <translation>Liší se %1 z %2 bajtů; první na adrese %3: čip %4, %5 %6</translation>
    </message>
    <message>
        <source>erased</source>
        <translation>smazáno</translation>
    </message>
    <message>
        <source>The image cannot be written to the %1: %2 has data at %3, beyond the %4&apos;s %5 KB of flash, where the chip would write it over %6.</source>
        <translation>Obraz nelze zapsat do %1: %2 má data na adrese %3, za %5 kB flash čipu %4, kde by je čip zapsal přes %6.</translation>
    </message>
    <message>
        <source>The target&apos;s signature reads %1: this is not the signature of a supported chip (%2).</source>
        <translation>Signatura cíle je %1: to není signatura podporovaného čipu (%2).</translation>
    </message>
    <message>
        <source>The lock bits did not take: asked for mode %1, the chip reads %2.</source>
        <translation>Zámkové bity se nezapsaly: požadován režim %1, čip hlásí %2.</translation>
    </message>
    <message>
        <source>The chip answers the signature %1: it is an %2, not the %3 chosen in the device menu. Nothing was done to it.

Switch the device to the %2 and go on with %4?</source>
        <translation>Čip odpovídá signaturou %1: je to %2, ne %3 zvolený v nabídce zařízení. Nic se s ním nestalo.

Přepnout zařízení na %2 a pokračovat (%4)?</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Obraz</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Záznam</translation>
    </message>
    <message>
        <source>&amp;view</source>
        <translation>pohle&amp;d</translation>
    </message>
    <message>
        <source>&amp;image (hex)</source>
        <translation>&amp;obraz (hex)</translation>
    </message>
    <message>
        <source>&amp;log</source>
        <translation>&amp;záznam</translation>
    </message>
    <message>
        <source>Left %1, right the %2 as read at %3: %4 bytes differ, the first at %5 (marked *).</source>
        <translation>Vlevo %1, vpravo %2, jak byl přečten v %3: počet rozdílných bajtů %4, první na adrese %5 (označeno *).</translation>
    </message>
    <message>
        <source>erased flash (FF)</source>
        <translation>smazaná flash (FF)</translation>
    </message>
    <message>
        <source>%1 was not started: the chip may hide its signature behind lock bit 2</source>
        <translation>Nespuštěno (%1): čip může skrývat svou signaturu za zámkovým bitem 2</translation>
    </message>
    <message>
        <source>so its flash cannot be compared with an image</source>
        <translation>takže jeho flash nelze porovnat s obrazem</translation>
    </message>
    <message>
        <source>so it would pass a blank check whatever it holds</source>
        <translation>takže by prošel kontrolou prázdnosti, ať obsahuje cokoli</translation>
    </message>
    <message>
        <source>so a read is no copy of its flash, and nothing was kept</source>
        <translation>takže čtení není kopií jeho flash a nic se neuchovalo</translation>
    </message>
    <message>
        <source>The %1&apos;s read-out protection is on (lock bit 2 programmed): it reads back as FF, %2. Only an erase (chip / Erase) clears it, together with the flash.</source>
        <translation>Ochrana %1 proti čtení je zapnutá (zámkový bit 2 naprogramován): čip se čte jako FF, %2. Zruší ji jen smazání (čip / Smazat), spolu s obsahem flash.</translation>
    </message>
    <message>
        <source>The chip answers the signature %1 with lock bit 2 programmed: a chip locked in mode 3 or 4 may hide its signature. Only an erase (chip / Erase) clears the lock, together with the flash.</source>
        <translation>Čip odpovídá signaturou %1 a má naprogramovaný zámkový bit 2: čip uzamčený v režimu 3 nebo 4 může svou signaturu skrývat. Zámek zruší jen smazání (čip / Smazat), spolu s obsahem flash.</translation>
    </message>
    <message>
        <source>The target&apos;s signature reads %1: the target entered programming mode, so a chip is there, but its signature cannot be read. Check that it is an %2 seated right in its socket, that its crystal or clock runs, and that reset is held high while programming.</source>
        <translation>Signatura cíle je %1: cíl vstoupil do programovacího režimu, takže čip tam je, ale jeho signaturu nelze přečíst. Zkontrolujte, že jde o %2 správně usazený v patici, že běží jeho krystal nebo hodiny a že je reset při programování držen v log. 1.</translation>
    </message>
    <message>
        <source>The chip answers the signature %1 with lock bit 2 programmed: a chip locked in mode 3 or 4 may hide its signature, and only a chip erase clears the lock. Nothing was done to it.

Erase the chip (its flash and lock bits) and go on with %2?</source>
        <translation>Čip odpovídá signaturou %1 a má naprogramovaný zámkový bit 2: čip uzamčený v režimu 3 nebo 4 může svou signaturu skrývat a zámek zruší jen smazání čipu. Nic se s ním nestalo.

Smazat čip (jeho flash i zámkové bity) a pokračovat: %2?</translation>
    </message>
</context>
<context>
    <name>WindowSettings</name>
    <message>
        <source>The settings cannot be written to %1.</source>
        <translation>Nastavení nelze zapsat do %1.</translation>
    </message>
    <message>
        <source>%1 is not a settings file: the settings were not saved.</source>
        <translation>%1 není soubor nastavení: nastavení se neuložilo.</translation>
    </message>
</context>
</TS>
