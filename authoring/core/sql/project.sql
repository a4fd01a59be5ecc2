-- The project database of the authoring program: every table, and the messages the program shows.
-- Plain SQL that SQLite and PostgreSQL both accept. Texts are VARCHAR(n) of at most n characters
-- (not CHAR(n), which PostgreSQL pads with blanks and compares without them, where SQLite keeps
-- the text as written), long texts (the page texts, a component's description, registry data)
-- TEXT; ids and codes are whole DECIMAL numbers (read back as "12" on both, never "12.0"); flags
-- are DOUBLE PRECISION holding 1 or 0. Names are never quoted, here or in any statement:
-- PostgreSQL folds them to lower case and SQLite compares them without regard to case, so FILE,
-- File and file name the same table on both. Text comparisons (=) regard case on both; an empty
-- text and a null stay apart on both.
-- Every table but PRODUCT and MESSAGE holds the rows of all products, told apart by PRODID; ids
-- of components, file groups, files, string variables, registry entries and background texts are
-- unique within their product only.

CREATE TABLE PRODUCT (
  ID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  PRODNAME VARCHAR(32),
  PRODVERS VARCHAR(16),
  README DOUBLE PRECISION,
  SETUPNORM DOUBLE PRECISION,
  SETUPMIN DOUBLE PRECISION,
  SETUPCUST DOUBLE PRECISION,
  BASEPATH VARCHAR(254),
  LABEL VARCHAR(32)
);

-- String variables, referenced as ^NAME^.
CREATE TABLE STRINGS (
  ID DECIMAL(10,0) NOT NULL,
  PRODID DECIMAL(10,0) NOT NULL,
  NAME VARCHAR(32),
  VALUE VARCHAR(254),
  PRIMARY KEY (PRODID, ID)
);

-- Components. SETUPTYPES: 1 Normal, 2 Minimal (bits); PATHCHANGE: the user may change the folder.
CREATE TABLE PROGGRP (
  ID DECIMAL(10,0) NOT NULL,
  PRODID DECIMAL(10,0) NOT NULL,
  NAME VARCHAR(32),
  INSTALLPTH VARCHAR(254),
  PROGGRPID DECIMAL(10,0),
  REQPROGID DECIMAL(10,0),
  VISIBLE DOUBLE PRECISION,
  SETUPTYPES DECIMAL(3,0),
  DESCRIPT TEXT,
  PATHCHANGE DOUBLE PRECISION,
  PRIMARY KEY (PRODID, ID)
);

CREATE TABLE FILEGRP (
  ID DECIMAL(10,0) NOT NULL,
  PRODID DECIMAL(10,0) NOT NULL,
  NAME VARCHAR(32),
  PROGGRPID DECIMAL(10,0),
  PRIMARY KEY (PRODID, ID)
);

CREATE TABLE FILE (
  ID DECIMAL(10,0) NOT NULL,
  PRODID DECIMAL(10,0) NOT NULL,
  FILEGRPID DECIMAL(10,0),
  PATH VARCHAR(254),
  README DOUBLE PRECISION,
  EXE DOUBLE PRECISION,
  LINKTEXT VARCHAR(64),
  SHARED DOUBLE PRECISION,
  PRIMARY KEY (ID, PRODID)
);

-- Registry entries. ROOTKEY: 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE,
-- 4 HKEY_USERS; VALUETYPE: the Windows type code 0 to 10, or 255 for data written byte for byte;
-- REGDATA: the data as text.
CREATE TABLE REGKEYS (
  ID DECIMAL(10,0) NOT NULL,
  PRODID DECIMAL(10,0) NOT NULL,
  PROGGRPID DECIMAL(10,0),
  ROOTKEY DECIMAL(3,0),
  REGKEY VARCHAR(254),
  VALUENAME VARCHAR(254),
  REGDATA TEXT,
  VALUETYPE DECIMAL(3,0),
  PRIMARY KEY (PRODID, ID)
);

-- Which optional wizard pages are shown; PROGGROUP also makes the program group.
CREATE TABLE WINDOWS (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  WELCOME DOUBLE PRECISION,
  LICENSE DOUBLE PRECISION,
  USERINFO DOUBLE PRECISION,
  FINISHED DOUBLE PRECISION,
  PROGGROUP DOUBLE PRECISION
);

-- The full-screen background window: caption and colour (red + 256 green + 65536 blue).
CREATE TABLE WMAIN (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  TITLE VARCHAR(64),
  BGCOLOR DECIMAL(10,0)
);

-- Texts on the background window; XPOS and YPOS in ten-thousandths of the window's size.
CREATE TABLE MAINTEXT (
  ID DECIMAL(10,0) NOT NULL,
  PRODID DECIMAL(10,0) NOT NULL,
  TEXTLINE VARCHAR(254),
  XPOS DECIMAL(10,0),
  YPOS DECIMAL(10,0),
  FONTSIZE DECIMAL(5,0),
  BOLD DOUBLE PRECISION,
  ITALIC DOUBLE PRECISION,
  UNDERLINE DOUBLE PRECISION,
  COLOR DECIMAL(10,0),
  FONTFACE VARCHAR(39),
  PRIMARY KEY (PRODID, ID)
);

-- The welcome page: whether it shows the protection warning.
CREATE TABLE WWELCOME (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  PROTECT DOUBLE PRECISION
);

CREATE TABLE WLICAGR (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  LICTEXT TEXT
);

-- The user page: the key below HKEY_CURRENT_USER\Software for "User" and "Company", its text.
CREATE TABLE WUSER (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  REGKEY VARCHAR(254),
  PAGETEXT TEXT
);

-- The finished page: its text, the restart offer and the texts of its two choices.
CREATE TABLE WFINISH (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  FINALTEXT TEXT,
  RESTART DOUBLE PRECISION,
  CHOICE1 VARCHAR(64),
  CHOICE2 VARCHAR(64)
);

-- The program group page: the default group's name and the page text.
CREATE TABLE WCREGRP (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  GROUPNAME VARCHAR(32),
  PAGETEXT TEXT
);

-- The readme page. READMEMODE: 1 show after the installation, 2 ask, other: never.
CREATE TABLE README (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  READMEMODE DECIMAL(3,0),
  CHECKTEXT VARCHAR(64)
);

CREATE TABLE PROGRESS (
  PRODID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  PROGTEXT VARCHAR(254),
  SHOWFILE DOUBLE PRECISION
);

-- The program's numbered messages. LEVEL: 0 information, 1 warning, 2 error, 3 fatal, 99 question.
-- BUTTON: 1 OK, 2 OK Cancel, 3 Yes No, 4 Yes No Cancel, 5 Retry Cancel, 6 Abort Retry Ignore.
-- "~r" breaks the line; %1% and %2% take the arguments.
CREATE TABLE MESSAGE (
  ID DECIMAL(10,0) NOT NULL PRIMARY KEY,
  TEXT VARCHAR(254),
  LEVEL DECIMAL(3,0),
  BUTTON DECIMAL(3,0),
  TITLE VARCHAR(64)
);

INSERT INTO MESSAGE (ID, TEXT, LEVEL, BUTTON, TITLE) VALUES (1,
  'Delete the product %1%?~rIts components, files, registry entries and settings are removed as well.',
  99, 3, 'Delete product');
INSERT INTO MESSAGE (ID, TEXT, LEVEL, BUTTON, TITLE) VALUES (5,
  '%1% found no free name for the string variable and named it after the date and time.~rRename it if you like.',
  1, 1, NULL);
INSERT INTO MESSAGE (ID, TEXT, LEVEL, BUTTON, TITLE) VALUES (11,
  '%1%~rMoving the programgroup removes these requirements. Choose OK to move it, Cancel to keep it where it is.',
  99, 2, 'Move programgroup');
INSERT INTO MESSAGE (ID, TEXT, LEVEL, BUTTON, TITLE) VALUES (14,
  'A shortcut needs its text.~rType the shortcut text, or clear Shortcut.',
  1, 1, NULL);
INSERT INTO MESSAGE (ID, TEXT, LEVEL, BUTTON, TITLE) VALUES (15,
  'The product %1% is not built yet, so it cannot be tested.~rBuild it now?',
  99, 3, 'Test product');
