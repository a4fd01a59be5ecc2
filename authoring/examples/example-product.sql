-- The example product of a new profile: two components, files from the machine's C:\Examples\Hello
-- (copied there from authoring/examples/Hello), a program group with a shortcut, one registry
-- entry and one string variable.
INSERT INTO PRODUCT VALUES (1, 'Hello', '1.00.00', 1, 1, 1, 1, '^PROGRAMFILESDIR^\^PRODUCTNAME^', 'Example');
INSERT INTO STRINGS VALUES (1, 1, 'GREETING', 'Hello from ^PRODUCTNAME^');
INSERT INTO PROGGRP (ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID, VISIBLE, SETUPTYPES, DESCRIPT, PATHCHANGE)
  VALUES (1, 1, 'Program', '^SETUPPATH^', 0, 0, 1, 3, 'The program and its readme file.', 1);
INSERT INTO PROGGRP (ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID, VISIBLE, SETUPTYPES, DESCRIPT, PATHCHANGE)
  VALUES (2, 1, 'Documents', '^SETUPPATH^\Docs', 0, 1, 1, 1, 'The guide.', 0);
INSERT INTO FILEGRP VALUES (1, 1, 'Program files', 1);
INSERT INTO FILEGRP VALUES (2, 1, 'Guide', 2);
INSERT INTO FILE VALUES (1, 1, 1, 'C:\Examples\Hello\hello.exe', 0, 1, 'Hello', 0);
INSERT INTO FILE VALUES (2, 1, 1, 'C:\Examples\Hello\settings.ini', 0, 0, '', 0);
INSERT INTO FILE VALUES (3, 1, 1, 'C:\Examples\Hello\readme.txt', 1, 0, '', 0);
INSERT INTO FILE VALUES (4, 1, 2, 'C:\Examples\Hello\guide.txt', 0, 0, '', 0);
INSERT INTO REGKEYS VALUES (1, 1, 1, 2, 'Software\Example\Hello', 'Greeting', '^GREETING^', 1);
INSERT INTO WINDOWS VALUES (1, 1, 1, 1, 1, 1);
INSERT INTO WMAIN VALUES (1, 'Setup of ^PRODUCTNAME^', 8388608);
INSERT INTO MAINTEXT VALUES (1, 1, '^PRODUCTNAME^ ^PRODUCTVERSION^', 500, 700, 24, 1, 0, 0, 16777215, 'Arial');
INSERT INTO WWELCOME VALUES (1, 1);
INSERT INTO WLICAGR VALUES (1, 'You may use ^PRODUCTNAME^ as you like.');
INSERT INTO WUSER VALUES (1, 'Example\^PRODUCTNAME^', 'Please type your name and your company.');
INSERT INTO WFINISH VALUES (1, '^PRODUCTNAME^ has been installed.', 0, 'Restart now', 'Restart later');
INSERT INTO WCREGRP VALUES (1, '^PRODUCTNAME^', 'Choose the program group for the shortcut.');
INSERT INTO README VALUES (1, 2, 'Show the readme file');
INSERT INTO PROGRESS VALUES (1, 'Installing ^PRODUCTNAME^ ...', 1);
