<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>FAbout</name>
    <message>
        <location filename="../src/app/ui/FAbout.cpp" line="+12"/>
        <source>Pictrix</source>
        <translation>Pictrix</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Finds, shows and saves the icons stored in icon files and program modules.</source>
        <translation>Findet, zeigt und speichert die Symbole in Symboldateien und Programmmodulen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>About Pictrix</source>
        <translation>Über Pictrix</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>FCursorTheme</name>
    <message>
        <location filename="../src/themes/ui/FCursorTheme.cpp" line="+32"/>
        <source>Make Cursor Theme</source>
        <translation>Mauszeiger-Thema erstellen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cursor &amp;pack:</source>
        <translation>Mauszeiger-&amp;Paket:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Cursor pack</source>
        <translation>Mauszeiger-Paket</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Folder...</source>
        <translation>&amp;Ordner...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>INF Fil&amp;e...</source>
        <translation>INF-&amp;Datei...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Theme &amp;name:</source>
        <translation>&amp;Themenname:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Theme name</source>
        <translation>Themenname</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Choose a folder of .cur and .ani files, or its INF file. The theme is installed for you in %1.</source>
        <translation>Wählen Sie einen Ordner mit .cur- und .ani-Dateien oder seine INF-Datei. Das Thema wird für Sie in %1 installiert.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Install</source>
        <translation>&amp;Installieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <location line="+28"/>
        <location line="+6"/>
        <source>Cursor Pack</source>
        <translation>Mauszeiger-Paket</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Setup Information (*.inf)</source>
        <translation>Setup-Informationen (*.inf)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>All Files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <location line="+27"/>
        <source> (missing)</source>
        <translation> (fehlt)</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&quot;%1&quot; cannot name a theme folder.</source>
        <translation>„%1“ kann keinen Themenordner benennen.</translation>
    </message>
</context>
<context>
    <name>FLauncher</name>
    <message>
        <location filename="../src/app/ui/FLauncher.cpp" line="+29"/>
        <source>Add to Applications Menu</source>
        <translation>Zum Anwendungsmenü hinzufügen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Co&amp;mmand:</source>
        <translation>&amp;Befehl:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>C&amp;ategories:</source>
        <translation>&amp;Kategorien:</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Categories</source>
        <translation>Kategorien</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>such as Game; or Office;Utility;</source>
        <translation>etwa Game; oder Office;Utility;</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Icon sizes:</source>
        <translation>&amp;Symbolgrößen:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Icon sizes</source>
        <translation>Symbolgrößen</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>the program that opens this icon, such as: gimp %f</source>
        <translation>das Programm, das dieses Symbol öffnet, etwa: gimp %f</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 x %1</source>
        <translation>%1 x %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>scaled from %1 x %2</source>
        <translation>verkleinert aus %1 x %2</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>PNG image as stored</source>
        <translation>PNG-Bild wie gespeichert</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>scalable  SVG drawing as stored</source>
        <translation>skalierbar  SVG-Zeichnung wie gespeichert</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The icon has no image of %1 pixels or more; the menu needs one.</source>
        <translation>Das Symbol hat kein Bild mit %1 Pixeln oder mehr; das Menü braucht eines.</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Pictrix made a menu entry for this file before.
Do you want to replace it?</source>
        <translation>Pictrix hat für diese Datei schon einen Menüeintrag angelegt.
Möchten Sie ihn ersetzen?</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The menu entry was not made: %1.
Pictrix replaces only files it wrote; move that file away or choose another name.</source>
        <translation>Der Menüeintrag wurde nicht angelegt: %1.
Pictrix ersetzt nur Dateien, die es selbst geschrieben hat; verschieben Sie diese Datei oder wählen Sie einen anderen Namen.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>&quot;%1&quot; is in the applications menu.

Desktop entry: %2
Icon: %3 at %4 sizes, in %5

pictrix-cli launcher --remove %3 removes it.</source>
        <translation>„%1“ steht im Anwendungsmenü.

Desktop-Eintrag: %2
Symbol: %3 in %4 Größen, in %5

pictrix-cli launcher --remove %3 entfernt ihn.</translation>
    </message>
    <message>
        <location filename="../src/app/ui/FLauncher.h" line="+34"/>
        <source>No icons to add to the menu. Ready...</source>
        <translation>Keine Symbole für das Menü. Bereit...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Please choose an icon for the menu entry.</source>
        <translation>Bitte wählen Sie ein Symbol für den Menüeintrag.</translation>
    </message>
</context>
<context>
    <name>FMain</name>
    <message>
        <location filename="../src/app/ui/FMain.cpp" line="+67"/>
        <location line="+1"/>
        <source>Icons</source>
        <translation>Symbole</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Icon</source>
        <translation>Symbol</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Number of Images</source>
        <translation>Anzahl der Bilder</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <location line="+19"/>
        <location line="+1"/>
        <source>Images</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Export as PNG...</source>
        <translation>Als PNG e&amp;xportieren...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Make Cursor &amp;Theme...</source>
        <translation>Mauszeiger-&amp;Thema erstellen...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Add to Applications &amp;Menu...</source>
        <translation>Zum Anwendungs&amp;menü hinzufügen...</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Launch Editor</source>
        <translation>&amp;Editor starten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Recurse</source>
        <translation>&amp;Rekursive Suche</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Glintsmith</source>
        <translation>&amp;Glintsmith</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Edit</source>
        <translation>Bearbei&amp;ten</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+78"/>
        <location line="+12"/>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <location line="-82"/>
        <source>&amp;Edit</source>
        <comment>menu bar</comment>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Find &amp;Similar Icons...</source>
        <translation>Ä&amp;hnliche Symbole suchen...</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Toolbar</source>
        <translation>&amp;Symbolleiste</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>&amp;Status Bar</source>
        <translation>Status&amp;leiste</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>&amp;Large Icons</source>
        <translation>&amp;Große Symbole</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>S&amp;mall Icons</source>
        <translation>&amp;Kleine Symbole</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>L&amp;ist</source>
        <translation>Lis&amp;te</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>&amp;Details</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Ima&amp;ges</source>
        <translation>&amp;Bilder</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>C&amp;ursors</source>
        <translation>&amp;Cursor</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>&amp;Options...</source>
        <translation>&amp;Optionen...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Error Log</source>
        <translation>&amp;Fehlerprotokoll</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Clear Error Log</source>
        <translation>Fehlerprotokoll lee&amp;ren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;About</source>
        <translation>Ü&amp;ber Pictrix</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Icon &amp;Formats</source>
        <translation>Symbol&amp;formate</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Settings and Files</source>
        <translation>&amp;Einstellungen und Dateien</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>Open Icon or Library</source>
        <translation>Symbol oder Bibliothek öffnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save selected icon</source>
        <translation>Gewähltes Symbol speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Print selected icon</source>
        <translation>Gewähltes Symbol drucken</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Large icons</source>
        <translation>Große Symbole</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Small icons</source>
        <translation>Kleine Symbole</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>List icons</source>
        <translation>Symbole als Liste</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Properties</source>
        <translation>Eigenschaften</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Launch icon editor</source>
        <translation>Symboleditor starten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Recurse</source>
        <translation>Rekursive Suche</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Run Glintsmith - QRSC</source>
        <translation>Glintsmith - QRSC starten</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>About Pictrix</source>
        <translation>Über Pictrix</translation>
    </message>
    <message>
        <location filename="../src/app/ui/FMain_Commands.cpp" line="+102"/>
        <source>No picture of the chosen icon can be read.</source>
        <translation>Kein Bild des gewählten Symbols kann gelesen werden.</translation>
    </message>
    <message>
        <location line="+185"/>
        <source>The search window is not part of this build.</source>
        <translation>Das Suchfenster ist in diesem Build nicht enthalten.</translation>
    </message>
    <message>
        <location line="+58"/>
        <source>text files</source>
        <translation>Textdateien</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>web pages</source>
        <translation>Webseiten</translation>
    </message>
    <message>
        <location filename="../src/app/ui/FMain_Retrieve.cpp" line="+179"/>
        <source>Cursor group %1: %2</source>
        <translation>Cursorgruppe %1: %2</translation>
    </message>
</context>
<context>
    <name>FOptions</name>
    <message>
        <location filename="../src/support/ui/FOptions.cpp" line="+41"/>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Icon &amp;Editor</source>
        <translation>Symbol-&amp;Editor</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;Browse...</source>
        <translation>&amp;Durchsuchen...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Clea&amp;r</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>No icon editor</source>
        <translation>Kein Symboleditor</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Icon Backcolor</source>
        <translation>Symbol&amp;hintergrundfarbe</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Co&amp;lor...</source>
        <translation>&amp;Farbe...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Apply</source>
        <translation>Ü&amp;bernehmen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
</context>
<context>
    <name>FProps</name>
    <message>
        <location filename="../src/app/ui/FProps.cpp" line="+109"/>
        <location line="+43"/>
        <source>Properties</source>
        <translation>Eigenschaften</translation>
    </message>
    <message>
        <location line="-23"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="-9"/>
        <source>Version</source>
        <translation>Version</translation>
    </message>
</context>
<context>
    <name>FRecurse</name>
    <message>
        <location filename="../src/search/ui/FRecurse.cpp" line="+92"/>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <location line="+74"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Extract</source>
        <translation>&amp;Extrahieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Extract &amp;Cursors Too</source>
        <translation>Auch &amp;Cursor extrahieren</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Search &amp;Hidden Folders</source>
        <translation>&amp;Versteckte Ordner durchsuchen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Recurse Help</source>
        <translation>Hilfe zur &amp;rekursiven Suche</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;About</source>
        <translation>Ü&amp;ber Pictrix</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>New List</source>
        <translation>Neue Liste</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Open List File</source>
        <translation>Listendatei öffnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save Current File</source>
        <translation>Aktuelle Datei speichern</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Print List</source>
        <translation>Liste drucken</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Add Item</source>
        <translation>Eintrag hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Extract Icons</source>
        <translation>Symbole extrahieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Help on Recurse</source>
        <translation>Hilfe zur rekursiven Suche</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pictrix Help</source>
        <translation>Pictrix-Hilfe</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <location filename="../src/search/ui/FRecurse_Commands.cpp" line="+120"/>
        <source> (%1; see the log)</source>
        <translation> (%1; siehe Protokoll)</translation>
    </message>
    <message>
        <location line="+93"/>
        <source>Save the list under another name?</source>
        <translation>Die Liste unter einem anderen Namen speichern?</translation>
    </message>
    <message>
        <location line="+61"/>
        <source>%1 was not added: %2.</source>
        <translation>%1 wurde nicht hinzugefügt: %2.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The search list is full: %1 was not added</source>
        <translation>Die Suchliste ist voll: %1 wurde nicht hinzugefügt</translation>
    </message>
    <message>
        <location line="+79"/>
        <source>is too long for a file name</source>
        <translation>ist zu lang für einen Dateinamen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1: %2 %3; saved as %4</source>
        <translation>%1: %2 %3; gespeichert als %4</translation>
    </message>
    <message>
        <location filename="../src/search/ui/FRecurse_Similar.cpp" line="+79"/>
        <source>Find similar icons in:</source>
        <translation>Ähnliche Symbole suchen in:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>How many of the 64 bits of the pictures&apos; hashes may differ (0 to 64)?</source>
        <translation>Wie viele der 64 Bits der Bild-Hashes dürfen sich unterscheiden (0 bis 64)?</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Find Similar Icons</source>
        <translation>Ähnliche Symbole suchen</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>Comparing %1 of %2 files</source>
        <translation>Vergleiche %1 von %2 Dateien</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>(distance %1, group %2)</source>
        <translation>(Abstand %1, Gruppe %2)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Distance %1 from %2: group %3</source>
        <translation>Abstand %1 von %2: Gruppe %3</translation>
    </message>
    <message numerus="yes">
        <location line="+6"/>
        <source>Find Similar: %n file(s) hold a group within %1 of %2</source>
        <translation>
            <numerusform>Ähnliche suchen: %n Datei enthält eine Gruppe im Abstand bis %1 von %2</numerusform>
            <numerusform>Ähnliche suchen: %n Dateien enthalten eine Gruppe im Abstand bis %1 von %2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MError</name>
    <message>
        <location filename="../src/support/MError.cpp" line="+134"/>
        <source>Error #%1</source>
        <translation>Fehler #%1</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>The error could not be written to the error log: Error #%1, %2</source>
        <translation>Der Fehler konnte nicht ins Fehlerprotokoll geschrieben werden: Fehler #%1, %2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The error could not be written to the error log: %1</source>
        <translation>Der Fehler konnte nicht ins Fehlerprotokoll geschrieben werden: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The error could not be written to the error log.</source>
        <translation>Der Fehler konnte nicht ins Fehlerprotokoll geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>cError</name>
    <message>
        <location filename="../src/base/cError.cpp" line="+13"/>
        <source>Invalid procedure call or argument</source>
        <translation>Ungültiger Prozeduraufruf oder ungültiges Argument</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Out of memory</source>
        <translation>Nicht genügend Speicher</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Subscript out of range</source>
        <translation>Index außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Disk full</source>
        <translation>Datenträger voll</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Too many files</source>
        <translation>Zu viele Dateien</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Path/File access error</source>
        <translation>Fehler beim Zugriff auf Pfad/Datei</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Object variable or With block variable not set</source>
        <translation>Objektvariable oder With-Blockvariable nicht festgelegt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Invalid picture</source>
        <translation>Ungültiges Bild</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Printer error</source>
        <translation>Druckerfehler</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Element not found</source>
        <translation>Element nicht gefunden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Application-defined or object-defined error</source>
        <translation>Anwendungs- oder objektdefinierter Fehler</translation>
    </message>
</context>
<context>
    <name>cFolderWalk</name>
    <message>
        <location filename="../src/search/cFolderWalk.cpp" line="+40"/>
        <source>%1 name holds a line break</source>
        <translation>%1 Name enthält einen Zeilenumbruch</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 names hold a line break</source>
        <translation>%1 Namen enthalten einen Zeilenumbruch</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1 path lies past the system&apos;s path limit</source>
        <translation>%1 Pfad liegt jenseits der Pfadlängengrenze des Systems</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 paths lie past the system&apos;s path limit</source>
        <translation>%1 Pfade liegen jenseits der Pfadlängengrenze des Systems</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>: not listed</source>
        <translation>: nicht aufgenommen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>its name holds a line break</source>
        <translation>sein Name enthält einen Zeilenumbruch</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>its path lies past the system&apos;s path limit</source>
        <translation>sein Pfad liegt jenseits der Pfadlängengrenze des Systems</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Searching %1</source>
        <translation>Durchsuche %1</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>Overflow: more than %1 sub-folders in %2</source>
        <translation>Überlauf: mehr als %1 Unterordner in %2</translation>
    </message>
    <message>
        <location line="+75"/>
        <source>The search list is full: further matches are not listed</source>
        <translation>Die Suchliste ist voll: weitere Treffer werden nicht aufgenommen</translation>
    </message>
</context>
<context>
    <name>cIconGrid</name>
    <message>
        <location filename="../src/grid/ui/cIconGrid.cpp" line="+105"/>
        <source>%1 x %2</source>
        <translation>%1 x %2</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>, millions of colors</source>
        <translation>, Millionen Farben</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>, %1 colors</source>
        <translation>, %1 Farben</translation>
    </message>
</context>
<context>
    <name>cPrinterDevice</name>
    <message>
        <location filename="../src/platform/ui/cPrinterDevice.cpp" line="+49"/>
        <source>There is no default printer: set up a printer, or make one the default, and print again. Nothing was printed.</source>
        <translation>Es gibt keinen Standarddrucker: Richten Sie einen Drucker ein oder machen Sie einen zum Standard, und drucken Sie erneut. Es wurde nichts gedruckt.</translation>
    </message>
    <message>
        <location line="+124"/>
        <source>The printer %1 does not accept jobs (its queue rejects them). Nothing was printed.</source>
        <translation>Der Drucker %1 nimmt keine Aufträge an (seine Warteschlange weist sie ab). Es wurde nichts gedruckt.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The printer %1 cannot begin a document. Nothing was printed.</source>
        <translation>Der Drucker %1 kann kein Dokument beginnen. Es wurde nichts gedruckt.</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>The printer %1 could not begin a new page. The document may be incomplete.</source>
        <translation>Der Drucker %1 konnte keine neue Seite beginnen. Das Dokument ist möglicherweise unvollständig.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The printer %1 reported a fault while the document was sent.</source>
        <translation>Der Drucker %1 hat beim Senden des Dokuments einen Fehler gemeldet.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The print server did not take the document for the printer %1: %2</source>
        <translation>Der Druckserver hat das Dokument für den Drucker %1 nicht angenommen: %2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The printer %1 stopped the job %2.</source>
        <translation>Der Drucker %1 hat den Auftrag %2 angehalten.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The job %1 on %2 was canceled.</source>
        <translation>Der Auftrag %1 auf %2 wurde abgebrochen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The printer %1 aborted the job %2.</source>
        <translation>Der Drucker %1 hat den Auftrag %2 abgebrochen.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The print server holds the job %1 on %2 (it may ask for authentication). It is not printed until it is released.</source>
        <translation>Der Druckserver hält den Auftrag %1 auf %2 zurück (möglicherweise verlangt er eine Anmeldung). Er wird erst gedruckt, wenn er freigegeben ist.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The printer %1 is paused: the job %2 waits in its queue and is printed when the printer is resumed.</source>
        <translation>Der Drucker %1 ist angehalten: Der Auftrag %2 wartet in seiner Warteschlange und wird gedruckt, sobald der Drucker fortgesetzt wird.</translation>
    </message>
</context>
<context>
    <name>mDHash</name>
    <message>
        <location filename="../src/icon/mDHash.h" line="+34"/>
        <source>No icons to compare. Ready...</source>
        <translation>Keine Symbole zum Vergleichen. Bereit...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Please choose an icon to find icons like it.</source>
        <translation>Bitte wählen Sie ein Symbol, um ähnliche Symbole zu finden.</translation>
    </message>
</context>
<context>
    <name>mExtract</name>
    <message>
        <location filename="../src/search/mExtract.cpp" line="+19"/>
        <source>Icon contains no images.</source>
        <translation>Das Symbol enthält keine Bilder.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Couldn&apos;t open file for writing.</source>
        <translation>Die Datei konnte nicht zum Schreiben geöffnet werden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>General failure writing icon.</source>
        <translation>Allgemeiner Fehler beim Schreiben des Symbols.</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>was already written from this file</source>
        <translation>wurde bereits aus dieser Datei geschrieben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>was already written from another file of this run</source>
        <translation>wurde bereits aus einer anderen Datei dieses Laufs geschrieben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>is one of the files this run extracts from</source>
        <translation>ist eine der Dateien, aus denen dieser Lauf extrahiert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>is a symbolic link, which is never written through</source>
        <translation>ist ein symbolischer Link, durch den nie geschrieben wird</translation>
    </message>
    <message>
        <location line="+51"/>
        <source>Loading icon %1</source>
        <translation>Lade Symbol %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Checking for resources...</source>
        <translation>Suche nach Ressourcen...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No icons found in file.</source>
        <translation>Keine Symbole in der Datei gefunden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Getting icon resources...</source>
        <translation>Lese Symbolressourcen...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No icon resources were found.</source>
        <translation>Es wurden keine Symbolressourcen gefunden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Loading icon %1 of %2...</source>
        <translation>Lade Symbol %1 von %2...</translation>
    </message>
    <message>
        <location line="+54"/>
        <source>Total icons saved: %1</source>
        <translation>Gespeicherte Symbole insgesamt: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source> (%1 was saved under another name; see the log)</source>
        <translation> (%1 wurde unter einem anderen Namen gespeichert; siehe Protokoll)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source> (%1 were saved under another name; see the log)</source>
        <translation> (%1 wurden unter einem anderen Namen gespeichert; siehe Protokoll)</translation>
    </message>
</context>
<context>
    <name>mFileOpenSave</name>
    <message>
        <location filename="../src/app/mIconCommands.h" line="+25"/>
        <source>Icon Files (*.ico)|*.ico|All Files (*.*)|*.*</source>
        <translation>Symboldateien (*.ico)|*.ico|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Cursor Files (*.cur)|*.cur|All Files (*.*)|*.*</source>
        <translation>Cursordateien (*.cur)|*.cur|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <location filename="../src/app/mMainWindow.h" line="+18"/>
        <source>All Files (*.*)|*.*|Icon Files (*.ICO)|*.ICO|Cursor Files (*.CUR;*.ANI)|*.CUR;*.ANI|Executables (*.EXE;*.DLL;*.OCX;*.MUN)|*.EXE;*.DLL;*.OCX;*.MUN|Shortcuts (*.LNK)|*.LNK|Apple Icons (*.ICNS)|*.ICNS|Compiled Resources (*.RES)|*.RES|Installer Packages (*.MSI)|*.MSI|AppImages (*.APPIMAGE)|*.APPIMAGE</source>
        <translation>Alle Dateien (*.*)|*.*|Symboldateien (*.ICO)|*.ICO|Cursordateien (*.CUR;*.ANI)|*.CUR;*.ANI|Programmdateien (*.EXE;*.DLL;*.OCX;*.MUN)|*.EXE;*.DLL;*.OCX;*.MUN|Verknüpfungen (*.LNK)|*.LNK|Apple-Symbole (*.ICNS)|*.ICNS|Kompilierte Ressourcen (*.RES)|*.RES|Installationspakete (*.MSI)|*.MSI|AppImages (*.APPIMAGE)|*.APPIMAGE</translation>
    </message>
    <message>
        <location filename="../src/app/mPngExport.h" line="+24"/>
        <source>PNG Images (*.png)|*.png|All Files (*.*)|*.*</source>
        <translation>PNG-Bilder (*.png)|*.png|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <location filename="../src/search/mRecurse.h" line="+24"/>
        <source>Pictrix Recure List(*.ier)|*.ier|All Files(*.*)|*.*</source>
        <translation>Pictrix-Suchliste (*.ier)|*.ier|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Pictrix Recurse List(*.ier)|*.ier|All Files(*.*)|*.*</source>
        <translation>Pictrix-Suchliste (*.ier)|*.ier|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Icon Files(*.ico)|*.ico|Executable Files(*.exe;*.dll)|*.exe;*.dll|AllFiles(*.*)|*.*</source>
        <translation>Symboldateien (*.ico)|*.ico|Programmdateien (*.exe;*.dll)|*.exe;*.dll|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <location filename="../src/support/mOptions.h" line="+25"/>
        <source>Executable Files|*.exe|All Files|*.*</source>
        <translation>Programmdateien|*.exe|Alle Dateien|*.*</translation>
    </message>
</context>
<context>
    <name>mIconCommands</name>
    <message>
        <location filename="../src/app/mIconCommands.cpp" line="+38"/>
        <source>File Name: %1</source>
        <translation>Dateiname: %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Cursor: %1</source>
        <translation>Cursor: %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Icon: %1</source>
        <translation>Symbol: %1</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Cursor types in file:</source>
        <translation>Cursortypen in der Datei:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Icon types in file:</source>
        <translation>Symboltypen in der Datei:</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 x %2,%3 colors.</source>
        <translation>%1 x %2, %3 Farben.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>millions of</source>
        <translation>Millionen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Size=%1 bytes.</source>
        <translation>Größe=%1 Bytes.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Hotspot=%1,%2</source>
        <translation>Hotspot=%1,%2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Element &apos;%1&apos;, %2x density.</source>
        <translation>Element &apos;%1&apos;, %2-fache Dichte.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Element &apos;%1&apos;.</source>
        <translation>Element &apos;%1&apos;.</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>File version: %1</source>
        <translation>Dateiversion: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Product version: %1</source>
        <translation>Produktversion: %1</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Version strings (%1):</source>
        <translation>Versionsangaben (%1):</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Frames: %1</source>
        <translation>Einzelbilder: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Steps:</source>
        <translation>Schritte:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Rates:</source>
        <translation>Raten:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>jiffies</source>
        <translation>Jiffies</translation>
    </message>
    <message>
        <location filename="../src/app/mIconCommands.h" line="-13"/>
        <source>No icons to save. Ready...</source>
        <translation>Keine Symbole zum Speichern. Bereit...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Please choose an icon to save.</source>
        <translation>Bitte wählen Sie ein Symbol zum Speichern.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>There are no icons to view properties for.</source>
        <translation>Es gibt keine Symbole, deren Eigenschaften angezeigt werden könnten.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Please select an icon to view properties for.</source>
        <translation>Bitte wählen Sie ein Symbol, dessen Eigenschaften angezeigt werden sollen.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Properties</source>
        <translation>Eigenschaften</translation>
    </message>
</context>
<context>
    <name>mIconDrag</name>
    <message>
        <location filename="../src/app/ui/mIconDrag.cpp" line="+73"/>
        <source>Cannot make a folder for the dragged file in %1: %2</source>
        <translation>Für die gezogene Datei kann in %1 kein Ordner angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>mListPrint</name>
    <message>
        <location filename="../src/search/mListPrint.cpp" line="+32"/>
        <source>Not a list file: %1 (%2)</source>
        <translation>Keine Listendatei: %1 (%2)</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Date: %1</source>
        <translation>Datum: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Time: %1</source>
        <translation>Uhrzeit: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>File: %1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>its entries hold more than %1 MiB</source>
        <translation>ihre Einträge umfassen mehr als %1 MiB</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Number of items in list: %1</source>
        <translation>Anzahl der Einträge in der Liste: %1</translation>
    </message>
    <message>
        <location filename="../src/search/mListPrint.h" line="+25"/>
        <source>Pictrix Recurse List</source>
        <translation>Pictrix-Suchliste</translation>
    </message>
</context>
<context>
    <name>mMainSettings</name>
    <message>
        <location filename="../src/app/mMainSettings.cpp" line="+87"/>
        <source>Path/File access error: %1</source>
        <translation>Fehler beim Zugriff auf Pfad/Datei: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>File not found: %1</source>
        <translation>Datei nicht gefunden: %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No program to open %1 was found to show %2</source>
        <translation>Es wurde kein Programm zum Öffnen von %1 gefunden, um %2 anzuzeigen</translation>
    </message>
    <message>
        <location filename="../src/app/mMainSettings.h" line="+32"/>
        <source>Icon editor is not configured.<byte value="xd"/>Configure it now?</source>
        <translation>Es ist kein Symboleditor eingerichtet.<byte value="xd"/>Jetzt einrichten?</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Unable to open Glintsmith - QRSC.exe</source>
        <translation>Glintsmith - QRSC.exe kann nicht geöffnet werden</translation>
    </message>
</context>
<context>
    <name>mMainWindow</name>
    <message>
        <location filename="../src/app/mMainWindow.cpp" line="+36"/>
        <source>Retrieving icon %1</source>
        <translation>Lese Symbol %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Retrieving icon %1 of %2...</source>
        <translation>Lese Symbol %1 von %2...</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 cursor group could not be read; see the error log</source>
        <translation>%1 Cursorgruppe konnte nicht gelesen werden; siehe Fehlerprotokoll</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 cursor groups could not be read; see the error log</source>
        <translation>%1 Cursorgruppen konnten nicht gelesen werden; siehe Fehlerprotokoll</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 icon group could not be read; see the error log</source>
        <translation>%1 Symbolgruppe konnte nicht gelesen werden; siehe Fehlerprotokoll</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 icon groups could not be read; see the error log</source>
        <translation>%1 Symbolgruppen konnten nicht gelesen werden; siehe Fehlerprotokoll</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Icon: %1</source>
        <translation>Symbol: %1</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Cursor</source>
        <translation>Cursor</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Icon</source>
        <translation>Symbol</translation>
    </message>
    <message>
        <location filename="../src/app/mMainWindow.h" line="+7"/>
        <source>Checking for icons...</source>
        <translation>Suche nach Symbolen...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Retrieving icons...</source>
        <translation>Lese Symbole...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No icons were found. Ready...</source>
        <translation>Es wurden keine Symbole gefunden. Bereit...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Displaying...</source>
        <translation>Anzeige wird aufgebaut...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Ready...</source>
        <translation>Bereit...</translation>
    </message>
    <message>
        <location line="+35"/>
        <source> (cursor)</source>
        <translation> (Cursor)</translation>
    </message>
</context>
<context>
    <name>mPngExport</name>
    <message>
        <location filename="../src/app/mPngExport.cpp" line="+92"/>
        <source>%1 already exists.<byte value="xd"/>Do you want to replace it?</source>
        <translation>%1 ist bereits vorhanden.<byte value="xd"/>Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 of these files already exist, %2 among them.<byte value="xd"/>Do you want to replace them?</source>
        <translation>%1 dieser Dateien sind bereits vorhanden, darunter %2.<byte value="xd"/>Möchten Sie sie ersetzen?</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>image %1 cannot be decoded</source>
        <translation>Bild %1 kann nicht dekodiert werden</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>%1 PNG file written.</source>
        <translation>%1 PNG-Datei geschrieben.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 PNG files written.</source>
        <translation>%1 PNG-Dateien geschrieben.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 is a symbolic link, which is never written through; saved as %2</source>
        <translation>%1 ist ein symbolischer Link, durch den nie geschrieben wird; gespeichert als %2</translation>
    </message>
    <message>
        <location filename="../src/app/mPngExport.h" line="-5"/>
        <source>Export as PNG</source>
        <translation>Als PNG exportieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No icons to export. Ready...</source>
        <translation>Keine Symbole zum Exportieren. Bereit...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Please choose an icon to export.</source>
        <translation>Bitte wählen Sie ein Symbol zum Exportieren.</translation>
    </message>
</context>
<context>
    <name>mRecurse</name>
    <message>
        <location filename="../src/search/mRecurse.cpp" line="+15"/>
        <source>Enter a file spec:<byte value="xd"/>
<byte value="xd"/>
Searching will begin at %1 and continue until no more subdirectories or files are found.  <byte value="xd"/>
<byte value="xd"/>
Click Stop, or hold Esc, at any time.<byte value="xd"/>
<byte value="xd"/>
The * and ? wildcards can be used.</source>
        <translation>Geben Sie ein Dateimuster ein:<byte value="xd"/>
<byte value="xd"/>
Die Suche beginnt in %1 und läuft, bis keine weiteren Unterordner oder Dateien mehr gefunden werden.  <byte value="xd"/>
<byte value="xd"/>
Klicken Sie jederzeit auf Stopp oder halten Sie Esc gedrückt.<byte value="xd"/>
<byte value="xd"/>
Die Platzhalter * und ? können verwendet werden.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Find File(s): %1 items found matching &quot;%2&quot;</source>
        <translation>Datei(en) suchen: %1 Einträge passend zu „%2“ gefunden</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Number of items: %1</source>
        <translation>Anzahl der Einträge: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Saving to: %1</source>
        <translation>Speichern nach: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Selected Items: </source>
        <translation>Ausgewählte Einträge: </translation>
    </message>
    <message>
        <location line="+24"/>
        <source>%1 already exists.<byte value="xd"/>
Do you want to replace it?</source>
        <translation>%1 ist bereits vorhanden.<byte value="xd"/>
Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>%1 holds %2 entries; the search list holds %3, the first of them. Save As keeps the entries shown in another file; the file itself is not saved over.</source>
        <translation>%1 enthält %2 Einträge; die Suchliste fasst %3, die ersten davon. „Speichern unter“ bewahrt die angezeigten Einträge in einer anderen Datei; die Datei selbst wird nicht überschrieben.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The list was cut when it was opened: %1 holds more entries than the search list. Saving it there would lose the rest.</source>
        <translation>Die Liste wurde beim Öffnen gekürzt: %1 enthält mehr Einträge, als die Suchliste fasst. Beim Speichern dorthin ginge der Rest verloren.</translation>
    </message>
    <message>
        <location filename="../src/search/mRecurse.h" line="-12"/>
        <source>Recurse</source>
        <translation>Rekursive Suche</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Recursing: </source>
        <translation>Rekursive Suche: </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Ready...</source>
        <translation>Bereit...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Select folder or drive:</source>
        <translation>Ordner oder Laufwerk wählen:</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Select directory:</source>
        <translation>Verzeichnis wählen:</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Find File(s)</source>
        <translation>Datei(en) suchen</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Data has changed. Save current list?</source>
        <translation>Die Daten wurden geändert. Aktuelle Liste speichern?</translation>
    </message>
</context>
<context>
    <name>mSysText</name>
    <message>
        <location filename="../src/platform/mSysText.cpp" line="+15"/>
        <source>The operation completed successfully.</source>
        <translation>Der Vorgang wurde erfolgreich beendet.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Incorrect function.</source>
        <translation>Unzulässige Funktion.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The system cannot find the file specified.</source>
        <translation>Das System kann die angegebene Datei nicht finden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The system cannot find the path specified.</source>
        <translation>Das System kann den angegebenen Pfad nicht finden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The system cannot open the file.</source>
        <translation>Das System kann die Datei nicht öffnen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Access is denied.</source>
        <translation>Zugriff verweigert.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The handle is invalid.</source>
        <translation>Das Handle ist ungültig.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Not enough memory resources are available to process this command.</source>
        <translation>Nicht genügend Arbeitsspeicher verfügbar, um diesen Befehl zu verarbeiten.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>An attempt was made to load a program with an incorrect format.</source>
        <translation>Es wurde versucht, ein Programm mit einem falschen Format zu laden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The data is invalid.</source>
        <translation>Die Daten sind ungültig.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The media is write protected.</source>
        <translation>Der Datenträger ist schreibgeschützt.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The system cannot write to the specified device.</source>
        <translation>Das System kann nicht auf das angegebene Gerät schreiben.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The system cannot read from the specified device.</source>
        <translation>Das System kann nicht vom angegebenen Gerät lesen.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The process cannot access the file because it is being used by another process.</source>
        <translation>Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Reached the end of the file.</source>
        <translation>Das Dateiende wurde erreicht.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The file exists.</source>
        <translation>Die Datei ist vorhanden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The parameter is incorrect.</source>
        <translation>Falscher Parameter.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The system cannot open the device or file specified.</source>
        <translation>Das System kann das angegebene Gerät oder die angegebene Datei nicht öffnen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>There is not enough space on the disk.</source>
        <translation>Auf dem Datenträger ist nicht genügend Speicherplatz vorhanden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The filename, directory name, or volume label syntax is incorrect.</source>
        <translation>Die Syntax für den Dateinamen, Verzeichnisnamen oder die Datenträgerbezeichnung ist falsch.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 is not a valid Win32 application.</source>
        <translation>%1 ist keine zulässige Win32-Anwendung.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The filename or extension is too long.</source>
        <translation>Der Dateiname oder die Erweiterung ist zu lang.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The directory name is invalid.</source>
        <translation>Der Verzeichnisname ist ungültig.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The request could not be performed because of an I/O device error.</source>
        <translation>Die Anforderung konnte wegen eines E/A-Gerätefehlers nicht ausgeführt werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The specified image file did not contain a resource section.</source>
        <translation>Die angegebene Abbilddatei enthält keinen Ressourcenabschnitt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The specified resource type cannot be found in the image file.</source>
        <translation>Der angegebene Ressourcentyp wurde in der Abbilddatei nicht gefunden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The specified resource name cannot be found in the image file.</source>
        <translation>Der angegebene Ressourcenname wurde in der Abbilddatei nicht gefunden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The specified resource language ID cannot be found in the image file.</source>
        <translation>Die angegebene Ressourcensprach-ID wurde in der Abbilddatei nicht gefunden.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>User stopped resource enumeration.</source>
        <translation>Der Benutzer hat die Ressourcenauflistung beendet.</translation>
    </message>
</context>
<context>
    <name>mWindowParts</name>
    <message>
        <location filename="../src/support/ui/mWindowParts.cpp" line="+16"/>
        <source>Toolbar</source>
        <translation>Symbolleiste</translation>
    </message>
</context>
</TS>
