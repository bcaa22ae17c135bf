<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>неизвестный параметр «%1».</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>неизвестные параметры: %1.</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>не хватает значения после «%1».</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>лишнее значение после «%1».</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>The output is written whole or not at all: into a new file beside it, which takes its
place (with the old file&apos;s permissions and owner) only once every byte is on the disk;
a failed write leaves an earlier file as it was. An output that is a symbolic link is
refused: it is neither written through nor replaced. Never written: a file being read,
under any name (hard links too); anything in or below the archive folder read; a name
the viewer lists (steel_*.json); any folder that holds such files.
</source>
        <translation>Выходной файл пишется целиком или никак: в новый файл рядом с ним, который занимает
его место (с правами и владельцем прежнего файла) только когда каждый байт уже на
диске; неудавшаяся запись оставляет прежний файл как был. Выходной файл, являющийся
символьной ссылкой, отклоняется: через неё не пишут и её не заменяют. Никогда не
записываются: читаемый файл под любым именем (и жёсткие ссылки на него); что угодно в
читаемой папке архива и ниже; имя, которое показывает окно просмотра (steel_*.json);
любая папка, где есть такие файлы.
</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Показать эту справку.</translation>
    </message>
    <message>
        <source>%1; see %2 %3 --help</source>
        <translation>%1; см. %2 %3 --help</translation>
    </message>
    <message>
        <source>%1%2 is given more than once; see %3 %4 --help</source>
        <translation>%1%2 задан больше одного раза; см. %3 %4 --help</translation>
    </message>
    <message>
        <source>missing argument; see %1 %2 --help</source>
        <translation>не хватает аргумента; см. %1 %2 --help</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;; see %2 %3 --help</source>
        <translation>лишний аргумент «%1»; см. %2 %3 --help</translation>
    </message>
    <message>
        <source>Archive folder.</source>
        <translation>Папка архива.</translation>
    </message>
    <message>
        <source>list an archive as the viewer&apos;s selection lists show it</source>
        <translation>показать архив так, как его показывают списки выбора окна просмотра</translation>
    </message>
    <message>
        <source>show a measurement&apos;s values as the viewer&apos;s values panel does</source>
        <translation>показать значения измерения так, как их показывает панель значений</translation>
    </message>
    <message>
        <source>write a measurement&apos;s two curves as CSV</source>
        <translation>выгрузить обе кривые измерения в CSV</translation>
    </message>
    <message>
        <source>draw a measurement&apos;s plot as the viewer does, into a PNG or PDF</source>
        <translation>нарисовать график измерения, как окно просмотра, в PNG или PDF</translation>
    </message>
    <message>
        <source>report archive files the viewer would show wrongly or not at all</source>
        <translation>найти файлы архива, которые окно просмотра покажет неверно или не покажет</translation>
    </message>
    <message>
        <source>list the measurements that meet given conditions</source>
        <translation>перечислить измерения, отвечающие условиям</translation>
    </message>
    <message>
        <source>write a PDF report of the measurements that meet given conditions</source>
        <translation>составить отчёт PDF по измерениям, отвечающим условиям</translation>
    </message>
    <message>
        <source>count and summarise the measurements that meet given conditions, in groups</source>
        <translation>посчитать и обобщить измерения, отвечающие условиям, по группам</translation>
    </message>
    <message>
        <source>print each new measurement as it lands in the archive, until interrupted</source>
        <translation>выводить каждое новое измерение, как только оно появится в архиве, до прерывания</translation>
    </message>
    <message>
        <source>write a demo archive of made-up measurements into a folder</source>
        <translation>записать в папку демонстрационный архив с выдуманными измерениями</translation>
    </message>
    <message>
        <source>Usage: steel-archive &lt;command&gt; [options] [arguments]
Companion of the Velmora-Steel archive viewer: reads, checks and exports
measurement archives exactly as the viewer sees them.
</source>
        <translation>Usage: steel-archive &lt;команда&gt; [параметры] [аргументы]
Спутник окна просмотра архива Velmora-Steel: читает, проверяет и выгружает
архивы измерений точно так, как их видит окно просмотра.
</translation>
    </message>
    <message>
        <source>&quot;steel-archive &lt;command&gt; --help&quot; describes a command;
&quot;steel-archive --version&quot; (or -V) prints the version.
Exit codes: 0 done; 1 the archive has problems (check&apos;s findings, no archive
file at all, files find had to skip, the folder watch watched disappeared); 2 bad
usage, an input that cannot be read or an output that cannot or must not be
written (standard output included: &quot;write error&quot;). Each command&apos;s --help has
its own.
</source>
        <translation>«steel-archive &lt;команда&gt; --help» описывает команду;
«steel-archive --version» (или -V) выводит версию.
Коды завершения: 0 готово; 1 в архиве есть проблемы (находки check, ни одного
файла архива, файлы, пропущенные find, исчезла папка, за которой следил watch);
2 неверный вызов, входной файл не читается или выходной нельзя или не следует
записывать (в том числе стандартный вывод: «write error»). У каждой команды
в --help свои.
</translation>
    </message>
    <message>
        <source>steel-archive: unknown command &quot;%1&quot;; see steel-archive --help</source>
        <translation>steel-archive: неизвестная команда «%1»; см. steel-archive --help</translation>
    </message>
    <message>
        <source>Separate the cells with C instead of &quot;,&quot; (e.g. &quot;;&quot;).</source>
        <translation>Разделять ячейки знаком C вместо «,» (например, «;»).</translation>
    </message>
    <message>
        <source>Write numbers with &quot;,&quot; as the decimal separator.</source>
        <translation>Писать числа с десятичной запятой.</translation>
    </message>
    <message>
        <source>For a spreadsheet set up for Russian: &quot;;&quot;, decimal commas, a byte-order mark and CRLF line ends.</source>
        <translation>Для электронной таблицы с русскими настройками: «;», десятичные запятые, метка порядка байтов и концы строк CRLF.</translation>
    </message>
    <message>
        <source>For a spreadsheet set up for Russian, --excel writes &quot;;&quot; between the cells, decimal
commas, a UTF-8 byte-order mark and CRLF line ends, so that a double-click opens the file
right; --delimiter and --decimal-comma set the first two alone. A text cell that a
spreadsheet would take for a formula (starting with =, +, - or @) is written with a leading
apostrophe, so that it shows as text.
</source>
        <translation>Для электронной таблицы с русскими настройками --excel пишет «;» между ячейками,
десятичные запятые, метку порядка байтов UTF-8 и концы строк CRLF, так что файл
правильно открывается двойным щелчком; --delimiter и --decimal-comma задают только
первые два. Текстовая ячейка, которую таблица приняла бы за формулу (начинается с =, +, -
или @), пишется с апострофом в начале и показывается как текст.
</translation>
    </message>
    <message>
        <source>Part of the melt number.</source>
        <translation>Часть номера плавки.</translation>
    </message>
    <message>
        <source>Technology.</source>
        <translation>Технология.</translation>
    </message>
    <message>
        <source>Start of the period (included).</source>
        <translation>Начало периода (включительно).</translation>
    </message>
    <message>
        <source>End of the period (left out).</source>
        <translation>Конец периода (не включая).</translation>
    </message>
    <message>
        <source>Status code, verdict, none or bad.</source>
        <translation>Код статуса, статус, none или bad.</translation>
    </message>
    <message>
        <source>Temperature range, °C.</source>
        <translation>Диапазон температуры, °C.</translation>
    </message>
    <message>
        <source>EMF range, mV.</source>
        <translation>Диапазон ЭДС, мВ.</translation>
    </message>
    <message>
        <source>Conditions (each given one must hold):
  --melt TEXT        the melt number contains TEXT, letter case ignored.
  --technology T     the technology of the file name is T, letter case ignored.
  --from DATE        the moment in the file name is DATE or later.
  --to DATE          the moment in the file name is before DATE; a date alone includes
                     its whole day (--to 2025-01-26 ends after 23:59:59), a time of day
                     is the first moment left out, so that the shifts --from &quot;26.01.2025
                     08:00&quot; --to &quot;26.01.2025 20:00&quot; and --from &quot;26.01.2025 20:00&quot; --to
                     &quot;27.01.2025 08:00&quot; count every measurement once. DATE is
                     yyyy-MM-dd or dd.MM.yyyy, optionally with h:mm, hh:mm or hh:mm:ss
                     (&quot;26.01.2025 8:00&quot;).
  --status STATUS    a status code; a verdict, letter case, spaces and full stops ignored
                     (&quot;нет пл&quot; finds &quot;НЕТ ПЛ.&quot;); none: no &quot;Status&quot; in the file; bad:
                     everything but &quot;ЕСТЬ ПЛ.&quot;, files without a status included.
  --temp MIN:MAX     the stored temperature is a number from MIN to MAX, bounds included;
                     either bound may be left out (&quot;1600:&quot;) and either may have a
                     decimal comma (&quot;1600,5:&quot;). &quot;nan&quot;, &quot;32767&quot; and texts that are not
                     numbers never match.
  --emf MIN:MAX      the same for the stored EMF.
</source>
        <translation>Условия (должно выполняться каждое заданное):
  --melt TEXT        номер плавки содержит TEXT, без учёта регистра.
  --technology T     технология в имени файла — T, без учёта регистра.
  --from DATE        момент в имени файла — DATE или позже.
  --to DATE          момент в имени файла раньше DATE; дата без времени включает весь
                     свой день (--to 2025-01-26 кончается после 23:59:59), время суток —
                     первый уже не входящий момент, так что смены --from &quot;26.01.2025
                     08:00&quot; --to &quot;26.01.2025 20:00&quot; и --from &quot;26.01.2025 20:00&quot; --to
                     &quot;27.01.2025 08:00&quot; учитывают каждое измерение один раз. DATE —
                     yyyy-MM-dd или dd.MM.yyyy, можно со временем h:mm, hh:mm или
                     hh:mm:ss (&quot;26.01.2025 8:00&quot;).
  --status STATUS    код статуса; статус без учёта регистра, пробелов и точек (&quot;нет пл&quot;
                     находит &quot;НЕТ ПЛ.&quot;); none: в файле нет &quot;Status&quot;; bad: всё, кроме
                     &quot;ЕСТЬ ПЛ.&quot;, включая файлы без статуса.
  --temp MIN:MAX     записанная температура — число от MIN до MAX включительно; любую
                     границу можно опустить (&quot;1600:&quot;), любая может быть с десятичной
                     запятой (&quot;1600,5:&quot;). &quot;nan&quot;, &quot;32767&quot; и тексты, не являющиеся
                     числами, не подходят никогда.
  --emf MIN:MAX      то же для записанной ЭДС.
</translation>
    </message>
    <message>
        <source>Status codes and their verdicts:</source>
        <translation>Коды статуса и их значения:</translation>
    </message>
    <message>
        <source>other</source>
        <translation>иначе</translation>
    </message>
    <message>
        <source>Lists the measurements in DIR that meet every given condition, latest moment first, one
line each: moment, technology, melt number, temperature, status, file name (separated
by tabs; values as the viewer shows them).
</source>
        <translation>Перечисляет измерения в DIR, отвечающие всем заданным условиям, от последнего к
первому, по одному в строке: момент, технология, номер плавки, температура, статус,
имя файла (через табуляцию; значения так, как их показывает окно просмотра).
</translation>
    </message>
    <message>
        <source>Files that cannot be read are named on standard error and skipped.
--csv writes every result value of each match, with a header line: melt, moment,
technology, temperature, EMF, oxidation, aluminium mass, carbon, status code, status,
file (a missing value is an empty cell).
</source>
        <translation>Файлы, которые не читаются, называются в стандартном потоке ошибок и пропускаются.
--csv выводит все результаты каждого найденного измерения со строкой заголовка: плавка,
момент, технология, температура, ЭДС, окисленность, масса алюминия, углерод, код
статуса, статус, файл (отсутствующее значение — пустая ячейка).
</translation>
    </message>
    <message>
        <source>DIR defaults to the folder &quot;archive&quot; in the working directory.</source>
        <translation>Без DIR берётся папка «archive» в рабочем каталоге.</translation>
    </message>
    <message>
        <source>Exit codes: 0 done (also when nothing matches); 1 files that cannot be read were
skipped, or DIR holds no archive file at all; 2 bad usage or a folder that cannot
be read.
</source>
        <translation>Коды завершения: 0 готово (и когда ничего не найдено); 1 пропущены файлы, которые не
читаются, или в DIR нет ни одного файла архива; 2 неверный вызов или папка не
читается.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 done; 2 bad usage, a file that cannot be read or is not a measurement,
or an output that cannot or must not be written (nothing is written then).
</source>
        <translation>Коды завершения: 0 готово; 2 неверный вызов, файл не читается или не является
измерением, или выходной файл нельзя или не следует записывать (тогда ничего не
записывается).
</translation>
    </message>
    <message>
        <source>An archive measurement file.</source>
        <translation>Файл измерения из архива.</translation>
    </message>
    <message>
        <source>A file that cannot be read, or whose first line is not a JSON object (the viewer shows
empty fields for it), is an error.</source>
        <translation>Файл, который не читается или первая строка которого не объект JSON (окно просмотра
показывает для него пустые поля), — ошибка.</translation>
    </message>
    <message>
        <source>Shows a measurement file&apos;s values as the viewer&apos;s values panel does: the texts as
stored, &quot;Нет данных&quot; for &quot;nan&quot; and &quot;32767&quot;, nothing for a missing key, the
status verdict (nothing without &quot;Status&quot;). For each curve: the number of stored
samples (those that are not &quot;nan&quot;) and the span of their values.
</source>
        <translation>Показывает значения файла измерения так, как панель значений окна просмотра: тексты
как записаны, &quot;Нет данных&quot; для &quot;nan&quot; и &quot;32767&quot;, ничего для отсутствующего ключа,
статус (ничего без &quot;Status&quot;). Для каждой кривой: число записанных точек (не &quot;nan&quot;) и
размах их значений.
</translation>
    </message>
    <message>
        <source>Writes the two curves of a measurement file as CSV: a header line
&quot;time_s,emf_mV,temperature_C&quot;, then one row for each of the 160 sample times
0.0 to 15.9 s. A missing sample is an empty cell; every value reads back as exactly
the number the viewer draws.
</source>
        <translation>Выгружает обе кривые файла измерения в CSV: строка заголовка
&quot;time_s,emf_mV,temperature_C&quot;, затем по строке на каждый из 160 моментов отсчёта от
0.0 до 15.9 с. Отсутствующая точка — пустая ячейка; каждое значение читается обратно
ровно тем числом, которое рисует окно просмотра.
</translation>
    </message>
    <message>
        <source>Writes a PDF report (A4 landscape) of the measurements in DIR that meet every given
condition. The first page names the folder, the period, the selection and when the
report was made, and gives per technology the number of measurements, the count of each
status, the share with &quot;ЕСТЬ ПЛ.&quot; and the minimum, median and maximum of the
temperature and the EMF (the numbers of steel-archive stats), with a chart of the
temperature over time, green for &quot;ЕСТЬ ПЛ.&quot;. Then every measurement, newest first,
%1 to a page: moment, technology, the values and status as the viewer&apos;s values panel
shows them, and the curves drawn as the viewer&apos;s plot draws them. Every page carries the
title and its number. With no measurement selected the report is one page saying so.
</source>
        <translation>Составляет отчёт PDF (A4, альбомная ориентация) по измерениям в DIR, отвечающим всем
заданным условиям. Первая страница называет папку, период, отбор и время составления
и даёт по каждой технологии число измерений, число каждого статуса, долю &quot;ЕСТЬ ПЛ.&quot;
и минимум, медиану и максимум температуры и ЭДС (числа steel-archive stats), с
графиком температуры по времени, зелёным для &quot;ЕСТЬ ПЛ.&quot;. Затем все измерения, от
последнего к первому, по %1 на странице: момент, технология, значения и статус так,
как их показывает панель значений, и кривые так, как их рисует график окна просмотра.
На каждой странице заголовок и её номер. Если не отобрано ни одного измерения, отчёт —
одна страница, говорящая об этом.
</translation>
    </message>
    <message>
        <source>Files that cannot be read are named on standard error and skipped; progress
is shown on standard error when it is a terminal.
</source>
        <translation>Файлы, которые не читаются, называются в стандартном потоке ошибок и пропускаются;
ход работы показывается в стандартном потоке ошибок, если это терминал.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 written (also when nothing is selected), 2 bad usage, a folder that
cannot be read or a report that cannot be written.
</source>
        <translation>Коды завершения: 0 записано (и когда ничего не отобрано), 2 неверный вызов, папка не
читается или отчёт нельзя записать.
</translation>
    </message>
    <message>
        <source>Counts the measurements in DIR that meet every given condition, in groups: the number of
measurements, the number with each status verdict (&quot;none&quot;: no &quot;Status&quot; in the file), the
share with &quot;ЕСТЬ ПЛ.&quot;, and the minimum, median and maximum of the temperature and the EMF
over the measurements whose value is a number (&quot;nan&quot;, &quot;32767&quot; and other texts are left
out; the median of an even count is the mean of the middle two). These are the numbers of
the first page of steel-archive report.
  --by GROUP         technology (the default), day, week (ISO, yyyy-Www), month or status;
                     a moment that does not parse is the group &quot;?&quot;.
  --csv              one line per group with every status column, shares as fractions;
                     --excel, --delimiter and --decimal-comma as for find.
  --json             an object with the groups and the total.
The table for a person ends with the total (&quot;all&quot;) and shows the statuses that occur.
</source>
        <translation>Считает измерения в DIR, отвечающие всем заданным условиям, по группам: число
измерений, число с каждым статусом (&quot;none&quot;: в файле нет &quot;Status&quot;), долю &quot;ЕСТЬ ПЛ.&quot; и
минимум, медиану и максимум температуры и ЭДС по измерениям, где значение — число
(&quot;nan&quot;, &quot;32767&quot; и прочие тексты не учитываются; медиана чётного числа значений —
среднее двух средних). Это числа первой страницы steel-archive report.
  --by GROUP         technology (по умолчанию), day, week (ISO, yyyy-Www), month или
                     status; момент, который не разбирается, — группа &quot;?&quot;.
  --csv              по строке на группу со всеми столбцами статусов, доли дробями;
                     --excel, --delimiter и --decimal-comma как у find.
  --json             объект с группами и итогом.
Таблица для человека кончается итогом (&quot;all&quot;) и показывает встречающиеся статусы.
</translation>
    </message>
    <message>
        <source>Files that cannot be read are named on standard error and skipped.
</source>
        <translation>Файлы, которые не читаются, называются в стандартном потоке ошибок и пропускаются.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 done (also when nothing is selected), 2 bad usage or a folder that
cannot be read.
</source>
        <translation>Коды завершения: 0 готово (и когда ничего не отобрано), 2 неверный вызов или папка не
читается.
</translation>
    </message>
    <message>
        <source>Write the matches as JSON.</source>
        <translation>Вывести найденное в JSON.</translation>
    </message>
    <message>
        <source>Write the matches as CSV.</source>
        <translation>Вывести найденное в CSV.</translation>
    </message>
    <message>
        <source>Write the values as JSON.</source>
        <translation>Вывести значения в JSON.</translation>
    </message>
    <message>
        <source>Write the CSV to OUT instead of standard output (&quot;-&quot;: standard output).</source>
        <translation>Записать CSV в OUT, а не на стандартный вывод («-»: стандартный вывод).</translation>
    </message>
    <message>
        <source>The report to write (required).</source>
        <translation>Файл отчёта (обязательно).</translation>
    </message>
    <message>
        <source>How to group.</source>
        <translation>Как группировать.</translation>
    </message>
    <message>
        <source>Write CSV.</source>
        <translation>Вывести CSV.</translation>
    </message>
    <message>
        <source>Write JSON.</source>
        <translation>Вывести JSON.</translation>
    </message>
    <message>
        <source>--excel and --delimiter exclude each other</source>
        <translation>--excel и --delimiter исключают друг друга</translation>
    </message>
    <message>
        <source>--delimiter &quot;%1&quot; is not one character that can separate cells (such as &quot;;&quot; or &quot;,&quot;)</source>
        <translation>--delimiter «%1» — не один знак, которым можно разделять ячейки (вроде «;» или «,»)</translation>
    </message>
    <message>
        <source>--decimal-comma needs another delimiter than &quot;,&quot;, such as --delimiter &apos;;&apos;</source>
        <translation>--decimal-comma требует другого разделителя, не «,», например --delimiter &apos;;&apos;</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a date written yyyy-MM-dd or dd.MM.yyyy, optionally followed by h:mm, hh:mm or hh:mm:ss</source>
        <translation>«%1» — не дата вида yyyy-MM-dd или dd.MM.yyyy, возможно со временем h:mm, hh:mm или hh:mm:ss</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: the day %2 does not exist</source>
        <translation>«%1»: дня %2 не существует</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: the time of day %2:%3%4 does not exist</source>
        <translation>«%1»: времени суток %2:%3%4 не существует</translation>
    </message>
    <message>
        <source>--from &quot;%1&quot; does not lie before --to &quot;%2&quot;: the period is empty</source>
        <translation>--from «%1» не раньше --to «%2»: период пуст</translation>
    </message>
    <message>
        <source>--status &quot;%1&quot; is no status code, verdict, &quot;none&quot; or &quot;bad&quot; (see --help for the verdicts)</source>
        <translation>--status «%1» — не код статуса, не статус, не «none» и не «bad» (статусы см. в --help)</translation>
    </message>
    <message>
        <source>--%1 &quot;%2&quot; is not a range MIN:MAX of numbers with MIN &lt;= MAX</source>
        <translation>--%1 «%2» — не диапазон чисел MIN:MAX с MIN &lt;= MAX</translation>
    </message>
</context>
<context>
    <name>report</name>
    <message>
        <source>Technology</source>
        <translation>Технология</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>Измерений</translation>
    </message>
    <message>
        <source>Share «ЕСТЬ ПЛ.»</source>
        <translation>Доля «ЕСТЬ ПЛ.»</translation>
    </message>
    <message>
        <source>T min, °C</source>
        <translation>T мин, °C</translation>
    </message>
    <message>
        <source>T median, °C</source>
        <translation>T медиана, °C</translation>
    </message>
    <message>
        <source>T max, °C</source>
        <translation>T макс, °C</translation>
    </message>
    <message>
        <source>EMF min, mV</source>
        <translation>ЭДС мин, мВ</translation>
    </message>
    <message>
        <source>EMF median, mV</source>
        <translation>ЭДС медиана, мВ</translation>
    </message>
    <message>
        <source>EMF max, mV</source>
        <translation>ЭДС макс, мВ</translation>
    </message>
    <message>
        <source>no status</source>
        <translation>без статуса</translation>
    </message>
    <message>
        <source>another status or none</source>
        <translation>другой статус или без статуса</translation>
    </message>
    <message>
        <source>No measurement holds a temperature.</source>
        <translation>Ни одно измерение не содержит температуры.</translation>
    </message>
    <message>
        <source>TEMPERATURE, °C</source>
        <translation>ТЕМПЕРАТУРА, °C</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Всего</translation>
    </message>
    <message>
        <source>Archive: </source>
        <translation>Архив: </translation>
    </message>
    <message>
        <source>Period: </source>
        <translation>Период: </translation>
    </message>
    <message>
        <source>Selection: </source>
        <translation>Отбор: </translation>
    </message>
    <message>
        <source>every measurement</source>
        <translation>все измерения</translation>
    </message>
    <message>
        <source>Measurements: %1      Made: %2</source>
        <translation>Измерений: %1      Составлен: %2</translation>
    </message>
    <message>
        <source>No measurement meets the conditions of the selection.</source>
        <translation>Нет измерений, отвечающих условиям отбора.</translation>
    </message>
    <message>
        <source>Results by technology</source>
        <translation>Результаты по технологиям</translation>
    </message>
    <message>
        <source>Statuses by technology</source>
        <translation>Статусы по технологиям</translation>
    </message>
    <message>
        <source>Temperature by time of measurement</source>
        <translation>Температура по времени измерения</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 из %2</translation>
    </message>
    <message>
        <source>The file cannot be read: </source>
        <translation>Файл не читается: </translation>
    </message>
    <message>
        <source>MELT No.</source>
        <translation>ПЛАВКА №</translation>
    </message>
    <message>
        <source>TEMPERATURE</source>
        <translation>ТЕМПЕРАТУРА</translation>
    </message>
    <message>
        <source>OXIDATION</source>
        <translation>ОКИСЛЕННОСТЬ</translation>
    </message>
    <message>
        <source>EMF</source>
        <translation>ЭДС</translation>
    </message>
    <message>
        <source>ALUMINIUM MASS</source>
        <translation>МАССА АЛЮМИНИЯ</translation>
    </message>
    <message>
        <source>CARBON</source>
        <translation>УГЛЕРОД</translation>
    </message>
    <message>
        <source>STATUS</source>
        <translation>СТАТУС</translation>
    </message>
    <message>
        <source>°C</source>
        <translation>°С</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>мВ</translation>
    </message>
    <message>
        <source>kg</source>
        <translation>кг</translation>
    </message>
    <message>
        <source>Measurement report</source>
        <translation>Отчёт по измерениям</translation>
    </message>
    <message>
        <source>melt contains</source>
        <translation>плавка содержит</translation>
    </message>
    <message>
        <source>technology</source>
        <translation>технология</translation>
    </message>
    <message>
        <source>from</source>
        <translation>с</translation>
    </message>
    <message>
        <source>before</source>
        <translation>до</translation>
    </message>
    <message>
        <source>status</source>
        <translation>статус</translation>
    </message>
    <message>
        <source>temperature, °C</source>
        <translation>температура, °C</translation>
    </message>
    <message>
        <source>EMF, mV</source>
        <translation>ЭДС, мВ</translation>
    </message>
    <message>
        <source>the whole archive</source>
        <translation>весь архив</translation>
    </message>
</context>
</TS>
