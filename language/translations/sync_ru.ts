<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>cli</name>
    <message>
        <source>keep a PostgreSQL database equal to the archive</source>
        <translation>поддерживать базу данных PostgreSQL равной архиву</translation>
    </message>
    <message>
        <source>--to is missing; see steel-archive sync --help</source>
        <translation>не задан --to; см. steel-archive sync --help</translation>
    </message>
    <message>
        <source>--to names a password; give it in PGPASSWORD or ~/.pgpass instead, where no process list shows it</source>
        <translation>в --to указан пароль; задайте его в PGPASSWORD или ~/.pgpass, где его не покажет список процессов</translation>
    </message>
    <message>
        <source>--schema &quot;%1&quot; is not a name of 1 to %2 bytes</source>
        <translation>--schema «%1» — не имя длиной от 1 до %2 байт</translation>
    </message>
    <message>
        <source>--batch &quot;%1&quot; is not a number from 1 to %2</source>
        <translation>--batch «%1» — не число от 1 до %2</translation>
    </message>
    <message>
        <source>; the database&apos;s rows of it are kept (is the folder&apos;s share mounted?)</source>
        <translation>; её строки в базе сохранены (подключён ли сетевой ресурс папки?)</translation>
    </message>
    <message>
        <source>compared</source>
        <translation>сравнено</translation>
    </message>
    <message>
        <source>keeping the database up to date with %1 until interrupted</source>
        <translation>база поддерживается в актуальном виде по %1 до прерывания</translation>
    </message>
    <message>
        <source>Keeps a PostgreSQL database equal to the archive DIR: one row per measurement
file that find reads, with the file&apos;s name, technology, moment, modification
time, every result as written and as a number where it reads as one, the
status, both curves and check&apos;s findings on the content; besides, a table of
archives and one of sync runs. The tables are made in the schema of --schema on
first use; an older version of them is migrated.
Only files whose size, times, inode, device or mount differ from what the
database keeps are read and sent; the rows of files that are gone are removed.
Rows go in with COPY in batches, each in one transaction with the run&apos;s counts,
so that a run cut off at any moment leaves a database the next run completes.
A second sync of the same archive into the same database waits for the first.
A folder without a single archive file while the database holds files of it (a
share that is not mounted) is refused: nothing is removed. Files that cannot be
read are named on standard error and left out, as find leaves them.
A file counts as changed only where its content or its name&apos;s bytes changed: a copy,
a touch or a restore is read again and counted unchanged. A file changed too lately
to be settled counts as waiting, and the next run counts it; the table sync_runs
holds the same numbers.
DIR defaults to the folder &quot;archive&quot; in the working directory.</source>
        <translation>Поддерживает базу данных PostgreSQL равной архиву DIR: по строке на каждый
файл измерения, который читает find, с именем файла, технологией, моментом,
временем изменения, каждым результатом как он записан и как числом, где он
читается как число, статусом, обеими кривыми и замечаниями check к содержимому;
кроме того, таблица архивов и таблица запусков синхронизации. Таблицы создаются
в схеме --schema при первом запуске; их более старая версия переводится на
новую.
Читаются и отправляются только файлы, у которых размер, времена, inode,
устройство или точка монтирования отличаются от сохранённых в базе; строки
исчезнувших файлов удаляются. Строки вносятся через COPY пачками, каждая в одной
транзакции вместе со счётчиками запуска, так что запуск, прерванный в любой
момент, оставляет базу, которую дополнит следующий запуск. Вторая синхронизация
того же архива в ту же базу ждёт первую. Папка без единого файла архива, когда в
базе есть её файлы (не подключённый сетевой ресурс), отвергается: ничего не
удаляется. Файлы, которые не читаются, называются в стандартном потоке ошибок и
пропускаются, как их пропускает find.
Файл считается изменённым, только если изменилось его содержимое или байты его
имени: копия, touch или восстановление читаются заново и считаются без изменений.
Файл, изменённый слишком недавно, чтобы успокоиться, считается ожидающим, и его
учитывает следующий запуск; в таблице sync_runs те же числа.
DIR по умолчанию — папка «archive» в рабочем каталоге.</translation>
    </message>
    <message>
        <source>Exit codes: 0 done; 1 files that cannot be read were left out, or DIR holds no
archive file at all; 2 bad usage, a folder that cannot be read, or a database
that cannot be reached or refuses (a wrong password, a full disk, a read-only
server): the batch being sent is then undone, and the next run goes on from
there. With --watch: 0 interrupted (SIGINT or SIGTERM), 1 the folder
disappeared, 2 bad usage or a database that cannot be reached at the start.
</source>
        <translation>Коды завершения: 0 готово; 1 пропущены файлы, которые не читаются, или в DIR
нет ни одного файла архива; 2 неверный вызов, папка не читается или база данных
недоступна или отказывает (неверный пароль, диск заполнен, сервер только для
чтения): отправляемая пачка тогда отменяется, и следующий запуск продолжит с
этого места. С --watch: 0 прервано (SIGINT или SIGTERM), 1 папка исчезла,
2 неверный вызов или база данных недоступна при запуске.
</translation>
    </message>
    <message>
        <source>The database: a libpq connection string or URI (&quot;host=db1 dbname=plant user=steel_sync sslmode=verify-full&quot;, &quot;postgresql://steel_sync@db1/plant&quot;). The password comes from PGPASSWORD or ~/.pgpass, never from the command line.</source>
        <translation>База данных: строка подключения libpq или URI («host=db1 dbname=plant user=steel_sync sslmode=verify-full», «postgresql://steel_sync@db1/plant»). Пароль берётся из PGPASSWORD или ~/.pgpass, никогда из командной строки.</translation>
    </message>
    <message>
        <source>The schema of the tables (default steel_archive).</source>
        <translation>Схема таблиц (по умолчанию steel_archive).</translation>
    </message>
    <message>
        <source>Keep the rows of files gone from the archive, with the time they were found gone (column &quot;removed&quot;).</source>
        <translation>Сохранять строки исчезнувших из архива файлов со временем, когда их не стало (столбец «removed»).</translation>
    </message>
    <message>
        <source>Files per transaction at most (default %1); a transaction also ends at 16 MB of data.</source>
        <translation>Не больше файлов на транзакцию (по умолчанию %1); транзакция заканчивается и на 16 МБ данных.</translation>
    </message>
    <message>
        <source>After the first run, keep the database up to date as measurements land (each sent as soon as it parses), and compare the whole archive every ten minutes (files changed or removed) and after a failure. A database that fails (restarted, unreachable) is tried again after a pause that grows to a minute, with one line on standard error; nothing is lost. Runs until interrupted.</source>
        <translation>После первого запуска поддерживать базу в актуальном виде по мере поступления измерений (каждое отправляется, как только разбирается) и сравнивать весь архив каждые десять минут (изменённые и удалённые файлы) и после сбоя. База, которая отказывает (перезапущена, недоступна), пробуется снова после паузы, растущей до минуты, с одной строкой в стандартном потоке ошибок; ничего не теряется. Работает до прерывания.</translation>
    </message>
    <message>
        <source>sync is left out of this build, which has no libpq (PostgreSQL&apos;s client library)</source>
        <translation>sync не входит в эту сборку: в ней нет libpq (клиентской библиотеки PostgreSQL)</translation>
    </message>
</context>
<context>
    <name>database</name>
    <message>
        <source>a %-escape is not % and two hexadecimal digits</source>
        <translation>%-последовательность — не % и две шестнадцатеричные цифры</translation>
    </message>
    <message>
        <source>a %-escape stands for a NUL byte (%00), which no value may hold</source>
        <translation>%-последовательность означает байт NUL (%00), которого не может быть ни в одном значении</translation>
    </message>
    <message>
        <source>a query parameter has no &quot;=&quot;</source>
        <translation>у параметра запроса нет «=»</translation>
    </message>
    <message>
        <source>a query parameter has more than one &quot;=&quot;</source>
        <translation>у параметра запроса больше одного «=»</translation>
    </message>
    <message>
        <source>a query parameter&apos;s name is none libpq knows</source>
        <translation>имя параметра запроса незнакомо libpq</translation>
    </message>
    <message>
        <source>the host&apos;s IPv6 address has no closing ]</source>
        <translation>у IPv6-адреса хоста нет закрывающей ]</translation>
    </message>
    <message>
        <source>the host&apos;s IPv6 address between [ and ] is empty</source>
        <translation>IPv6-адрес хоста между [ и ] пуст</translation>
    </message>
    <message>
        <source>the host&apos;s IPv6 address is followed by neither a port, a path nor a query</source>
        <translation>за IPv6-адресом хоста нет ни порта, ни пути, ни запроса</translation>
    </message>
    <message>
        <source>the URI is not one libpq accepts</source>
        <translation>этот URI libpq не принимает</translation>
    </message>
    <message>
        <source>a keyword has no &quot;=&quot; and value after it</source>
        <translation>после ключевого слова нет «=» и значения</translation>
    </message>
    <message>
        <source>a quoted value has no closing &apos;</source>
        <translation>у значения в кавычках нет закрывающей &apos;</translation>
    </message>
    <message>
        <source>a keyword is none libpq knows</source>
        <translation>ключевое слово незнакомо libpq</translation>
    </message>
    <message>
        <source>the connection string is not one libpq accepts</source>
        <translation>эту строку подключения libpq не принимает</translation>
    </message>
    <message>
        <source>the server is PostgreSQL %1; sync needs 11 or later</source>
        <translation>сервер — PostgreSQL %1; sync нужен 11 или новее</translation>
    </message>
    <message>
        <source>the database&apos;s encoding is %1, which cannot hold every text of an archive; create it with ENCODING &apos;UTF8&apos;</source>
        <translation>кодировка базы данных — %1, в ней помещаются не все тексты архива; создайте её с ENCODING &apos;UTF8&apos;</translation>
    </message>
    <message>
        <source>%1: the folder cannot be found</source>
        <translation>%1: папка не найдена</translation>
    </message>
    <message>
        <source>the archive&apos;s row cannot be made</source>
        <translation>не удаётся создать строку архива</translation>
    </message>
    <message>
        <source>another sync of %1 into this database is running; waiting for it to end</source>
        <translation>идёт другая синхронизация %1 в эту базу; ожидание её окончания</translation>
    </message>
    <message>
        <source>not connected</source>
        <translation>нет подключения</translation>
    </message>
    <message>
        <source>the server&apos;s list of the archive&apos;s files is damaged</source>
        <translation>список файлов архива, полученный от сервера, повреждён</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>не хватает памяти</translation>
    </message>
    <message>
        <source>no answer from the server</source>
        <translation>нет ответа от сервера</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>сервер закрыл соединение</translation>
    </message>
    <message>
        <source>the schema &quot;%1&quot; holds tables that are not steel-archive&apos;s; name another with --schema</source>
        <translation>в схеме «%1» есть таблицы, созданные не steel-archive; укажите другую в --schema</translation>
    </message>
    <message>
        <source>the schema &quot;%1&quot; is at version %2, made by a newer steel-archive; this one knows versions up to %3</source>
        <translation>схема «%1» версии %2, созданной более новым steel-archive; этот знает версии до %3</translation>
    </message>
    <message>
        <source>the database answers again; the whole archive has been compared</source>
        <translation>база снова отвечает; весь архив сравнён</translation>
    </message>
    <message>
        <source>%1: the folder cannot be listed</source>
        <translation>%1: содержимое папки не читается</translation>
    </message>
    <message>
        <source>%1 holds no archive file; the database&apos;s rows of it are kept (is the folder&apos;s share mounted?)</source>
        <translation>в %1 нет ни одного файла архива; её строки в базе сохранены (подключён ли сетевой ресурс папки?)</translation>
    </message>
    <message>
        <source>%1; trying again in %2 s</source>
        <translation>%1; новая попытка через %2 с</translation>
    </message>
</context>
<context>
    <name>output</name>
    <message>
        <source>, waiting %1</source>
        <translation>, ожидают %1</translation>
    </message>
    <message>
        <source>added %1, changed %2, removed %3, failed %4, unchanged %5</source>
        <translation>добавлено %1, изменено %2, удалено %3, не прочитано %4, без изменений %5</translation>
    </message>
</context>
</TS>
