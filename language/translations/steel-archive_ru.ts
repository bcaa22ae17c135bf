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
        <source>Show this help.</source>
        <translation>Показать эту справку.</translation>
    </message>
    <message>
        <source>%1; see %2 %3 --help</source>
        <translation>%1; см. %2 %3 --help</translation>
    </message>
    <message>
        <source>%1 is given more than once; see %2 %3 --help</source>
        <translation>%1 задан больше одного раза; см. %2 %3 --help</translation>
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
        <translation>Использование: steel-archive &lt;команда&gt; [параметры] [аргументы]
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
        <source>For a spreadsheet set up for Russian, --excel writes &quot;;&quot; between the cells,
decimal commas, a UTF-8 byte-order mark and CRLF line ends, the header in the
reader&apos;s language and melt numbers kept as text (=&quot;00731&quot;), so that a
double-click opens the file right; --delimiter and --decimal-comma set the
first two alone. Each of them asks for CSV. A text cell that a spreadsheet
would take for a formula (starting with =, +, - or @) is written with a leading
apostrophe, so that it shows as text. --xlsx writes a spreadsheet file in
Excel&apos;s format, which LibreOffice opens as well: melt numbers as text, results
as numbers with the decimals they were written with, moments as dates, the
header in the reader&apos;s language, frozen and with a filter.
</source>
        <translation>Для электронной таблицы с русскими настройками --excel пишет «;» между ячейками,
десятичные запятые, метку порядка байтов UTF-8 и концы строк CRLF, заголовок на
языке читателя и номера плавок как текст (=&quot;00731&quot;), так что файл правильно
открывается двойным щелчком; --delimiter и --decimal-comma задают только первые
два. Каждый из них сам просит CSV. Текстовая ячейка, которую таблица приняла бы за
формулу (начинается с =, +, - или @), пишется с апострофом в начале и показывается
как текст. --xlsx пишет файл электронной таблицы в формате Excel, который
открывает и LibreOffice: номера плавок текстом, результаты числами с тем числом
знаков после запятой, с каким они записаны, моменты датами, заголовок на языке
читателя, закреплённый и с фильтром.
</translation>
    </message>
    <message>
        <source>Each condition given (--melt, --technology, --from, --to, --status, --temp, --emf)
must hold.
</source>
        <translation>Должно выполняться каждое заданное условие (--melt, --technology, --from, --to,
--status, --temp, --emf).
</translation>
    </message>
    <message>
        <source>The melt number contains TEXT, letter case ignored.</source>
        <translation>Номер плавки содержит TEXT, без учёта регистра.</translation>
    </message>
    <message>
        <source>The technology of the file name is T, letter case ignored.</source>
        <translation>Технология в имени файла — T, без учёта регистра.</translation>
    </message>
    <message>
        <source>The moment in the file name is DATE or later.</source>
        <translation>Момент в имени файла — DATE или позже.</translation>
    </message>
    <message>
        <source>The moment in the file name is before DATE; a date alone includes its whole day (--to 2025-01-26 ends after 23:59:59), a time of day is the first moment left out, so that the shifts --from &quot;26.01.2025 08:00&quot; --to &quot;26.01.2025 20:00&quot; and --from &quot;26.01.2025 20:00&quot; --to &quot;27.01.2025 08:00&quot; count every measurement once. DATE is yyyy-MM-dd or dd.MM.yyyy, optionally with h:mm, hh:mm or hh:mm:ss (&quot;26.01.2025 8:00&quot;).</source>
        <translation>Момент в имени файла раньше DATE; дата без времени включает весь свой день (--to 2025-01-26 кончается после 23:59:59), время суток — первый уже не входящий момент, так что смены --from &quot;26.01.2025 08:00&quot; --to &quot;26.01.2025 20:00&quot; и --from &quot;26.01.2025 20:00&quot; --to &quot;27.01.2025 08:00&quot; учитывают каждое измерение один раз. DATE — yyyy-MM-dd или dd.MM.yyyy, можно со временем h:mm, hh:mm или hh:mm:ss (&quot;26.01.2025 8:00&quot;).</translation>
    </message>
    <message>
        <source>A status code; a verdict, letter case, spaces and full stops ignored (&quot;нет пл&quot; finds &quot;НЕТ ПЛ.&quot;); none: no &quot;Status&quot; in the file; bad: everything but &quot;ЕСТЬ ПЛ.&quot;, files without a status included.</source>
        <translation>Код статуса; статус без учёта регистра, пробелов и точек (&quot;нет пл&quot; находит &quot;НЕТ ПЛ.&quot;); none: в файле нет &quot;Status&quot;; bad: всё, кроме &quot;ЕСТЬ ПЛ.&quot;, включая файлы без статуса.</translation>
    </message>
    <message>
        <source>The stored temperature is a number from MIN to MAX, bounds included; either bound may be left out (&quot;1600:&quot;) and either may have a decimal comma (&quot;1600,5:&quot;). &quot;nan&quot;, &quot;32767&quot; and texts that are not numbers never match.</source>
        <translation>Записанная температура — число от MIN до MAX включительно; любую границу можно опустить (&quot;1600:&quot;), любая может быть с десятичной запятой (&quot;1600,5:&quot;). &quot;nan&quot;, &quot;32767&quot; и тексты, не являющиеся числами, не подходят никогда.</translation>
    </message>
    <message>
        <source>The same for the stored EMF.</source>
        <translation>То же для записанной ЭДС.</translation>
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
        <source>Lists the measurements in DIR that meet every given condition, latest moment first,
one line each: moment, technology, melt number, temperature, status, file name
(separated by tabs; values as the viewer shows them).
</source>
        <translation>Перечисляет измерения в DIR, отвечающие всем заданным условиям, от последнего к
первому, по одному в строке: момент, технология, номер плавки, температура,
статус, имя файла (через табуляцию; значения так, как их показывает окно
просмотра).
</translation>
    </message>
    <message>
        <source>Files that cannot be read are named on standard error and skipped.
--csv writes every result value of each match, with a header line: melt,
moment, technology, temperature, EMF, oxidation, aluminium mass, carbon,
status code, status, file (a missing value is an empty cell); --xlsx the same
as a spreadsheet file.
</source>
        <translation>Файлы, которые не читаются, называются в стандартном потоке ошибок и пропускаются.
--csv выводит все результаты каждого найденного измерения со строкой заголовка:
плавка, момент, технология, температура, ЭДС, окисленность, масса алюминия,
углерод, код статуса, статус, файл (отсутствующее значение — пустая ячейка);
--xlsx — то же самое файлом электронной таблицы.
</translation>
    </message>
    <message>
        <source>DIR defaults to the folder &quot;archive&quot; in the working directory.</source>
        <translation>Без DIR берётся папка «archive» в рабочем каталоге.</translation>
    </message>
    <message>
        <source>Exit codes: 0 done (also when nothing matches); 1 files that cannot be read were
skipped, or DIR holds no archive file at all; 2 bad usage, a folder that cannot
be read, or an output that cannot or must not be written.
</source>
        <translation>Коды завершения: 0 готово (и когда ничего не найдено); 1 пропущены файлы, которые
не читаются, или в DIR нет ни одного файла архива; 2 неверный вызов, папка не
читается или выходной файл нельзя или недопустимо записать.
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
        <source>Shows a measurement file&apos;s values as the viewer&apos;s values panel does: the texts
as stored (&quot;1598,5&quot; and &quot;1598.5&quot; each as written), &quot;Нет данных&quot; for &quot;nan&quot;
and &quot;32767&quot;, nothing for a missing key, the status verdict (nothing without
&quot;Status&quot;). For each curve: the number of stored samples (those that are not
&quot;nan&quot;) and the span of their values; the numbers show works out itself are
written with the decimal separator of the reader&apos;s language (&quot;0,75&quot; in Russian).
</source>
        <translation>Показывает значения файла измерения так, как панель значений окна просмотра:
тексты как записаны (&quot;1598,5&quot; и &quot;1598.5&quot; — каждый как есть), &quot;Нет данных&quot; для
&quot;nan&quot; и &quot;32767&quot;, ничего для отсутствующего ключа, статус (ничего без &quot;Status&quot;).
Для каждой кривой: число записанных точек (не &quot;nan&quot;) и размах их значений; числа,
которые show вычисляет сама, пишутся с десятичным разделителем языка читателя
(&quot;0,75&quot; по-русски).
</translation>
    </message>
    <message>
        <source>Writes the two curves of a measurement file as CSV: a header line
&quot;time_s,emf_mV,temperature_C&quot;, then one row for each of the 160 sample times
0.0 to 15.9 s. A missing sample is an empty cell; every value reads back as
exactly the number the viewer draws. --xlsx writes a spreadsheet file instead:
a sheet of the samples and a sheet of the results, as find writes them.
</source>
        <translation>Выгружает обе кривые файла измерения в CSV: строка заголовка
&quot;time_s,emf_mV,temperature_C&quot;, затем по строке на каждый из 160 моментов отсчёта
от 0.0 до 15.9 с. Отсутствующая точка — пустая ячейка; каждое значение читается
обратно ровно тем числом, которое рисует окно просмотра. --xlsx пишет вместо этого
файл электронной таблицы: лист точек и лист результатов, как их пишет find.
</translation>
    </message>
    <message>
        <source>Writes a PDF report (A4 landscape) of the measurements in DIR that meet every given
condition. The first page names the folder, the period, the selection and when the
report was made, and gives per technology the number of measurements, the count of
each status, the share with &quot;ЕСТЬ ПЛ.&quot; and the minimum, median and maximum of the
temperature and the EMF (the numbers of steel-archive stats), with a chart of the
temperature over time, green for &quot;ЕСТЬ ПЛ.&quot;. Then every measurement, newest first,
%1 to a page: moment, technology, the values and status as the viewer&apos;s values
panel shows them, and the curves drawn as the viewer&apos;s plot draws them. Every page
carries the title and its number. With no measurement selected the report is one
page saying so. Under a Russian locale the moments are written dd.MM.yyyy hh:mm:ss.
</source>
        <translation>Составляет отчёт PDF (A4, альбомная ориентация) по измерениям в DIR, отвечающим
всем заданным условиям. Первая страница называет папку, период, отбор и время
составления и даёт по каждой технологии число измерений, число каждого статуса,
долю &quot;ЕСТЬ ПЛ.&quot; и минимум, медиану и максимум температуры и ЭДС (числа
steel-archive stats), с графиком температуры по времени, зелёным для &quot;ЕСТЬ ПЛ.&quot;.
Затем все измерения, от последнего к первому, по %1 на странице: момент,
технология, значения и статус так, как их показывает панель значений, и кривые
так, как их рисует график окна просмотра. На каждой странице заголовок и её
номер. Если не отобрано ни одного измерения, отчёт — одна страница, говорящая об
этом. Моменты пишутся так, как на заводе: дд.ММ.гггг чч:мм:сс.
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
        <source>Counts the measurements in DIR that meet every given condition, in groups: the number
of measurements, the number with each status verdict (&quot;none&quot;: no &quot;Status&quot; in the
file), the share with &quot;ЕСТЬ ПЛ.&quot;, and the minimum, median and maximum of the
temperature and the EMF over the measurements whose value is a number, written with
a decimal point or comma (&quot;nan&quot;, &quot;32767&quot; and other texts are left out; the median
of an even count is the mean of the middle two). These are the numbers of the first
page of steel-archive report. The table for a person ends with the total (&quot;all&quot;)
and shows the statuses that occur; --csv writes one line per group with every status
column and the shares as fractions, --json an object with the groups and the total;
--excel and --xlsx add the total and give the shares as percentages.
</source>
        <translation>Считает измерения в DIR, отвечающие всем заданным условиям, по группам: число
измерений, число с каждым статусом (&quot;none&quot;, в таблице «без статуса»: в файле нет
&quot;Status&quot;), долю &quot;ЕСТЬ ПЛ.&quot; и минимум, медиану и максимум температуры и ЭДС по
измерениям, где значение — число, записанное с десятичной точкой или запятой
(&quot;nan&quot;, &quot;32767&quot; и прочие тексты не учитываются; медиана чётного числа значений —
среднее двух средних). Это числа первой страницы steel-archive report. Таблица
для человека кончается итогом («всего») и показывает встречающиеся статусы;
числа в ней — с десятичной запятой. --csv выводит по строке на группу со всеми
столбцами статусов и долями дробями, --json — объект с группами и итогом; --excel
и --xlsx добавляют итог и дают доли в процентах.
</translation>
    </message>
    <message>
        <source>Files that cannot be read are named on standard error and skipped.
</source>
        <translation>Файлы, которые не читаются, называются в стандартном потоке ошибок и пропускаются.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 done (also when nothing is selected), 2 bad usage, a folder that
cannot be read, or an output that cannot or must not be written.
</source>
        <translation>Коды завершения: 0 готово (и когда ничего не отобрано), 2 неверный вызов, папка
не читается или выходной файл нельзя или недопустимо записать.
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
        <source>How to group: technology (the default), day, week (ISO, yyyy-Www), month or status; a moment that does not parse is the group &quot;?&quot;.</source>
        <translation>Как группировать: technology (по умолчанию), day, week (ISO, yyyy-Www), month или status; момент, который не разбирается, — группа &quot;?&quot;.</translation>
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
    <message>
        <source>Read every file; neither use nor update the index.</source>
        <translation>Читать каждый файл; индекс не использовать и не обновлять.</translation>
    </message>
    <message>
        <source>What was read is kept in an index, so that the next question about an unchanged
or slightly changed archive reads only the files that changed (size, times, inode,
device or mount differ) and the rows whose checksums no longer match; the answer
is the same with or without it. The index lives in
$XDG_CACHE_HOME/steel-archive/index (by default ~/.cache/steel-archive/index),
one SQLite file per archive folder (by its canonical path), never in the archive:
none is used when that folder lies in the archive or the index file is a symbolic
link. Together the indexes may take %1 GiB, beyond which the least recently used go.
</source>
        <translation>Прочитанное сохраняется в индексе, чтобы следующий запрос к неизменному или немного
изменённому архиву читал только изменившиеся файлы (другие размер, время, inode,
устройство или монтирование) и строки, чьи контрольные суммы больше не совпадают;
ответ с индексом и без него один и тот же. Индекс хранится в
$XDG_CACHE_HOME/steel-archive/index (по умолчанию ~/.cache/steel-archive/index), по
одному файлу SQLite на папку архива (по её каноническому пути), и никогда в архиве:
индекс не используется, если эта папка лежит в архиве или файл индекса — символьная
ссылка. Вместе индексы занимают не больше %1 ГиБ; сверх этого удаляются те, что
дольше всех не использовались.
</translation>
    </message>
    <message>
        <source>This system gives no unique mount ids (Linux 6.8 and later do): another file system
mounted at the same place with the same device number, times and inode numbers (a
swapped read-only image) goes unseen by the index; use --no-index after such a swap.
</source>
        <translation>Эта система не даёт уникальных идентификаторов монтирования (Linux 6.8 и новее даёт):
другая файловая система, смонтированная в то же место с тем же номером устройства,
теми же временами и номерами inode (подменённый образ только для чтения), останется
для индекса незамеченной; после такой подмены используйте --no-index.
</translation>
    </message>
    <message>
        <source>--no-index reads every file and leaves the index alone.
</source>
        <translation>--no-index читает каждый файл и не трогает индекс.
</translation>
    </message>
    <message>
        <source>Reads every archive file in DIR (names matching steel_*.json, letter case ignored) and
reports each one the viewer would show wrongly or not at all, one line per finding:
names that do not follow steel_&lt;technology&gt;-yyyy_MM_dd-hh_mm_ss.json exactly, moments
that are no real date and time, an empty technology, technologies whose lists lead to
files of another (K1 and k1), files sharing a base name (.old.json twins), files that
cannot be read, documents that are not one JSON object on the first line, &quot;values&quot;
arrays of more than 160 samples, values that are not JSON strings, status codes
outside the status table, curve samples the viewer draws otherwise than meant
(&quot;12,5&quot;, &quot;&quot;, &quot;-nan&quot;, &quot;inf&quot;, 32767), result texts that look like a missing value but
are not &quot;nan&quot; or &quot;32767&quot; (&quot;NaN&quot;, &quot;-&quot;, &quot;null&quot;), and modification times more than a
day away from the moments in the names (one summary line). A summary follows.
--list-times lists instead every file whose modification time is more than a day away
from the moment in its name (taken as local time), one line each with both moments,
by name, so that they can be fixed (touch -d); it reads no file&apos;s content.
</source>
        <translation>Читает каждый файл архива в DIR (имена вида steel_*.json без учёта регистра) и
сообщает о каждом, который окно просмотра покажет неверно или не покажет вовсе, по
строке на замечание: имена, не соответствующие в точности
steel_&lt;technology&gt;-yyyy_MM_dd-hh_mm_ss.json, моменты, не являющиеся настоящими датой и
временем, пустая технология, технологии, чьи списки ведут к файлам другой (K1 и k1),
файлы с общим базовым именем (двойники .old.json), нечитаемые файлы, документы, которые
не являются одним объектом JSON в первой строке, массивы &quot;values&quot; длиннее 160 точек,
значения, не являющиеся строками JSON, коды статуса вне таблицы статусов, точки
кривых, которые окно просмотра рисует не так, как задумано (&quot;12,5&quot;, &quot;&quot;, &quot;-nan&quot;, &quot;inf&quot;,
32767), тексты результатов, похожие на отсутствующее значение, но не &quot;nan&quot; и не
&quot;32767&quot; (&quot;NaN&quot;, &quot;-&quot;, &quot;null&quot;), и время изменения, отстоящее от момента в имени больше
чем на сутки (одна итоговая строка). В конце — итог.
--list-times вместо этого перечисляет каждый файл, время изменения которого отстоит от
момента в его имени (по местному времени) больше чем на сутки, по строке с обоими
моментами, по порядку имён, чтобы их можно было исправить (touch -d); содержимое
файлов не читается.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 nothing found; 1 findings, or no archive file in DIR at all; 2 bad usage
or a folder that cannot be read.
</source>
        <translation>Коды завершения: 0 ничего не найдено; 1 есть замечания или в DIR вообще нет файлов
архива; 2 неверный вызов или папка не читается.
</translation>
    </message>
    <message>
        <source>List every file whose modification time disagrees with its name.</source>
        <translation>Перечислить все файлы, время изменения которых расходится с именем.</translation>
    </message>
    <message>
        <source>checked</source>
        <translation>проверено</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>не читается</translation>
    </message>
    <message>
        <source>Writes a demo archive of made-up measurements into DIR: three technologies, measurements
over more than a year, each file&apos;s modification time equal to its measurement moment
(local time). A few files show the unusual cases: &quot;nan&quot; and &quot;32767&quot; results, every
status code, unknown codes, a missing status and recordings that stop early.
The same seed always gives the same files.

DIR is created if it does not exist. An existing DIR must be empty or hold nothing but
files of an earlier demo archive (any seed), each byte for byte as demo wrote it; these
are rewritten. Any other content (another file, a file changed since, a folder, a hidden
entry) makes the command refuse and change nothing.
</source>
        <translation>Записывает в DIR демо-архив выдуманных измерений: три технологии, измерения более
чем за год, время изменения каждого файла равно моменту его измерения (местное
время). Несколько файлов показывают необычные случаи: результаты &quot;nan&quot; и &quot;32767&quot;,
каждый код статуса, неизвестные коды, отсутствующий статус и записи, оборванные
раньше времени. Одно и то же зерно всегда даёт одни и те же файлы.

DIR создаётся, если её нет. Существующая DIR должна быть пустой или содержать только
файлы прежнего демо-архива (с любым зерном), каждый байт в байт таким, каким его
записал demo; они перезаписываются. Любое другое содержимое (другой файл, файл,
изменённый с тех пор, папка, скрытый элемент) — и команда отказывается, ничего не
меняя.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 written; 2 bad usage, a DIR the command refuses, or a file that cannot
be written.
</source>
        <translation>Коды завершения: 0 записано; 2 неверный вызов, DIR, в которую команда отказывается
писать, или файл, который нельзя записать.
</translation>
    </message>
    <message>
        <source>Folder to write the archive into.</source>
        <translation>Папка, в которую записать архив.</translation>
    </message>
    <message>
        <source>Seed of the made-up values (default %1).</source>
        <translation>Зерно выдуманных значений (по умолчанию %1).</translation>
    </message>
    <message>
        <source>--seed &quot;%1&quot; is not a whole number from 0 to 18446744073709551615</source>
        <translation>--seed «%1» — не целое число от 0 до 18446744073709551615</translation>
    </message>
    <message>
        <source>wrote %1 measurement files to %2 (seed %3)</source>
        <translation>записано файлов измерений: %1 в %2 (зерно %3)</translation>
    </message>
    <message>
        <source>%1: %2; skipped</source>
        <translation>%1: %2; пропущен</translation>
    </message>
    <message>
        <source>--%1 and --%2 exclude each other</source>
        <translation>--%1 и --%2 исключают друг друга</translation>
    </message>
    <message>
        <source>read</source>
        <translation>прочитано</translation>
    </message>
    <message>
        <source>Lists the archive in DIR as the viewer&apos;s selection lists show it: each technology in
the list&apos;s order, below it its months (newest first), their days (latest first) and
the times of each day (most recently modified file first). The technology the viewer
opens on is marked &quot;(newest)&quot;. An empty entry leads no further, as in the viewer.
DIR defaults to the folder &quot;archive&quot; in the working directory.</source>
        <translation>Показывает архив в DIR так, как его показывают списки выбора окна просмотра: каждая
технология в порядке списка, под ней её месяцы (новые первыми), их дни (поздние
первыми) и время измерений каждого дня (последний изменённый файл первым).
Технология, на которой открывается окно просмотра, помечена «(последняя)». Пустой
пункт, как и в окне просмотра, никуда дальше не ведёт.
Без DIR берётся папка «archive» в рабочем каталоге.</translation>
    </message>
    <message>
        <source>Exit codes: 0 done; 1 DIR holds no archive file at all (the subfolders that do are
named); 2 bad usage or a folder that cannot be read.
</source>
        <translation>Коды завершения: 0 готово; 1 в DIR вообще нет файлов архива (названы подпапки, где
они есть); 2 неверный вызов или папка не читается.
</translation>
    </message>
    <message>
        <source>Write the lists as JSON.</source>
        <translation>Вывести списки в JSON.</translation>
    </message>
    <message>
        <source>the first line is not a JSON object, and more lines follow (a document spread over several lines is read as its first line only)</source>
        <translation>первая строка — не объект JSON, и за ней есть ещё строки (документ на нескольких строках читается только по первой строке)</translation>
    </message>
    <message>
        <source>its first line is too long to be a measurement</source>
        <translation>первая строка слишком длинная для измерения</translation>
    </message>
    <message>
        <source>the first line is not a JSON object</source>
        <translation>первая строка — не объект JSON</translation>
    </message>
    <message>
        <source>%1: not a measurement file: %2</source>
        <translation>%1: не файл измерения: %2</translation>
    </message>
    <message>
        <source>Draws the curves of a measurement file exactly as the viewer&apos;s plot does (same
axes, ranges, colours and fonts), with a caption line above: melt number,
technology and moment from the file name, and status. The output&apos;s format
follows its suffix: .png for an image, .pdf for a one-page document; -o - writes
the picture to standard output (a PNG, or a PDF with --pdf) unless it is a
terminal.
</source>
        <translation>Рисует кривые файла измерения в точности как график окна просмотра (те же оси,
диапазоны, цвета и шрифты), со строкой подписи сверху: номер плавки, технология
и момент из имени файла и статус. Формат выходного файла следует его расширению:
.png для изображения, .pdf для документа в одну страницу; -o - выводит рисунок в
стандартный вывод (PNG или, с --pdf, PDF), если это не терминал.
</translation>
    </message>
    <message>
        <source>A file that cannot be read, or whose first line is not a JSON object, is an error.
</source>
        <translation>Файл, который не читается или первая строка которого не объект JSON, — ошибка.
</translation>
    </message>
    <message>
        <source>The picture to write (required).</source>
        <translation>Рисунок, который нужно записать (обязательно).</translation>
    </message>
    <message>
        <source>Size in pixels (PDF: points), %1 to %2 each (default %3x%4).</source>
        <translation>Размер в пикселях (PDF: в пунктах), каждая сторона от %1 до %2 (по умолчанию %3x%4).</translation>
    </message>
    <message>
        <source>-o OUT.png or -o OUT.pdf is required</source>
        <translation>нужен -o OUT.png или -o OUT.pdf</translation>
    </message>
    <message>
        <source>%1 is not written to a terminal: name a file with -o, or send standard output to a file or a pipe</source>
        <translation>%1 не выводится в терминал: назовите файл в -o или направьте стандартный вывод в файл или канал</translation>
    </message>
    <message>
        <source>%1: unknown picture format; the name must end in .png or .pdf</source>
        <translation>%1: неизвестный формат рисунка; имя должно оканчиваться на .png или .pdf</translation>
    </message>
    <message>
        <source>--size &quot;%1&quot; is not WxH with both sides from %2 to %3</source>
        <translation>--size «%1» — не WxH с обеими сторонами от %2 до %3</translation>
    </message>
    <message>
        <source>drawing needs a QApplication</source>
        <translation>для рисования нужен QApplication</translation>
    </message>
    <message>
        <source>the picture could not be made</source>
        <translation>рисунок не удалось построить</translation>
    </message>
    <message>
        <source>-o REPORT.pdf is required</source>
        <translation>нужен -o REPORT.pdf</translation>
    </message>
    <message>
        <source>page</source>
        <translation>страница</translation>
    </message>
    <message>
        <source>%1: cannot be written: %2</source>
        <translation>%1: нельзя записать: %2</translation>
    </message>
    <message>
        <source>--by &quot;%1&quot; is none of %2</source>
        <translation>--by «%1» — ни одно из: %2</translation>
    </message>
    <message>
        <source>%1: cannot be watched</source>
        <translation>%1: за папкой нельзя следить</translation>
    </message>
    <message>
        <source>watching %1 for new measurements until interrupted</source>
        <translation>слежу за новыми измерениями в %1 до прерывания</translation>
    </message>
    <message>
        <source>%1: the folder is gone; stopped watching</source>
        <translation>%1: папка исчезла; слежение остановлено</translation>
    </message>
    <message>
        <source>%1: incomplete: not a measurement after %2 s without a change: %3; still watched</source>
        <translation>%1: неполный: после %2 с без изменений всё ещё не измерение: %3; слежение продолжается</translation>
    </message>
    <message>
        <source>Watches DIR and prints one line for each measurement file that appears in it, as
find lists it (tab-separated: moment, technology, melt number, temperature, status,
file name), as soon as its first line is a complete measurement. Files already there
at the start are not printed; a file renamed into DIR counts as new; deleted files
are ignored. A new file that does not parse yet is waited for; once it has stayed
unchanged for the quiet period without parsing it is named on standard error as
incomplete, and still watched: it is printed when it parses, however late. One
deleted before is forgotten. Uses the system&apos;s file change notification; runs until
interrupted.
DIR defaults to the folder &quot;archive&quot; in the working directory.</source>
        <translation>Следит за DIR и выводит по строке на каждый появившийся в ней файл измерения, как
его показывает find (через табуляцию: момент, технология, номер плавки,
температура, статус, имя файла), как только его первая строка — полное
измерение. Файлы, бывшие там с начала, не выводятся; файл, переименованный в DIR,
считается новым; удалённые файлы не учитываются. Новый файл, который ещё не
разбирается, ожидается; если он пробыл неизменным весь период покоя и так и не
разобрался, он называется в стандартном потоке ошибок неполным, но слежение за ним
продолжается: он будет выведен, когда разберётся, пусть и поздно. Файл, удалённый
до этого, забывается. Использует системные уведомления об изменениях файлов;
работает до прерывания.
Без DIR берётся папка «archive» в рабочем каталоге.</translation>
    </message>
    <message>
        <source>Exit codes: 0 interrupted (SIGINT or SIGTERM), 1 the folder disappeared, 2 bad
usage, a folder that cannot be read or lines that cannot be written.
</source>
        <translation>Коды завершения: 0 прервано (SIGINT или SIGTERM), 1 папка исчезла, 2 неверный
вызов, папка не читается или строки нельзя записать.
</translation>
    </message>
    <message>
        <source>One JSON object per line, with find&apos;s fields.</source>
        <translation>По объекту JSON на строку, с полями find.</translation>
    </message>
    <message>
        <source>How long an unparsed new file may stay unchanged before it is named as incomplete, in seconds (default %1; &quot;2.5&quot; or &quot;2,5&quot;).</source>
        <translation>Сколько неразобранный новый файл может оставаться неизменным, прежде чем будет назван неполным, в секундах (по умолчанию %1; &quot;2.5&quot; или &quot;2,5&quot;).</translation>
    </message>
    <message>
        <source>--quiet-period &quot;%1&quot; is not a number of seconds from 0.1 to %2</source>
        <translation>--quiet-period «%1» — не число секунд от 0,1 до %2</translation>
    </message>
    <message>
        <source>Exit codes: 0 interrupted (Ctrl+C, Ctrl+Break or the console window closed), 1 the
folder disappeared, 2 bad usage, a folder that cannot be read or lines that cannot
be written.
</source>
        <translation>Коды завершения: 0 прервано (Ctrl+C, Ctrl+Break или окно консоли закрыто), 1 папка
исчезла, 2 неверный вызов, папка не читается или строки нельзя записать.
</translation>
    </message>
    <message>
        <source>--encoding needs a value: oem, ansi or utf-8</source>
        <translation>для --encoding нужно значение: oem, ansi или utf-8</translation>
    </message>
    <message>
        <source>--encoding is given more than once</source>
        <translation>--encoding задан больше одного раза</translation>
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
<context>
    <name>system</name>
    <message>
        <source>No such file or directory</source>
        <translation>Нет такого файла или каталога</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Отказано в доступе</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>На устройстве не осталось свободного места</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Это каталог</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>Это не каталог</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>Файловая система доступна только для чтения</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>Файл слишком велик</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>Ошибка ввода/вывода</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>Превышена дисковая квота</translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation>Слишком много уровней символьных ссылок</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>Слишком длинное имя файла</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>Операция не позволена</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>Устройство или ресурс занято</translation>
    </message>
    <message>
        <source>Text file busy</source>
        <translation>Текстовый файл занят</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>Устаревший дескриптор файла</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Слишком много открытых файлов</translation>
    </message>
    <message>
        <source>No such device or address</source>
        <translation>Нет такого устройства или адреса</translation>
    </message>
    <message>
        <source>No such device</source>
        <translation>Нет такого устройства</translation>
    </message>
    <message>
        <source>Operation not supported</source>
        <translation>Неподдерживаемая операция</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>Недопустимый аргумент</translation>
    </message>
    <message>
        <source>Cannot allocate memory</source>
        <translation>Невозможно выделить память</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>Файл существует</translation>
    </message>
    <message>
        <source>Invalid cross-device link</source>
        <translation>Неверная ссылка между устройствами</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>Обрыв канала</translation>
    </message>
    <message>
        <source>Bad file descriptor</source>
        <translation>Неправильный дескриптор файла</translation>
    </message>
    <message>
        <source>Connection timed out</source>
        <translation>Время ожидания соединения истекло</translation>
    </message>
    <message>
        <source>Transport endpoint is not connected</source>
        <translation>Конечная точка передачи не подсоединена</translation>
    </message>
    <message>
        <source>Resource temporarily unavailable</source>
        <translation>Ресурс временно недоступен</translation>
    </message>
    <message>
        <source>Interrupted system call</source>
        <translation>Прерван системный вызов</translation>
    </message>
    <message>
        <source>Host is down</source>
        <translation>Узел выключен</translation>
    </message>
    <message>
        <source>No medium found</source>
        <translation>Носитель не найден</translation>
    </message>
    <message>
        <source>Remote I/O error</source>
        <translation>Ошибка удаленного ввода/вывода</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Неизвестная ошибка</translation>
    </message>
</context>
<context>
    <name>archive</name>
    <message>
        <source>; did you mean %1?</source>
        <translation>; может быть, имелась в виду %1?</translation>
    </message>
    <message>
        <source>; did you mean one of %1?</source>
        <translation>; может быть, имелась в виду одна из папок %1?</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>не читается</translation>
    </message>
    <message>
        <source>is not a folder</source>
        <translation>это не папка</translation>
    </message>
    <message>
        <source>no archive files (%1) in %2</source>
        <translation>нет файлов архива (%1) в %2</translation>
    </message>
    <message>
        <source>no such folder</source>
        <translation>нет такой папки</translation>
    </message>
    <message>
        <source>permission denied: the folder cannot be read</source>
        <translation>отказано в доступе: папку нельзя прочитать</translation>
    </message>
</context>
<context>
    <name>demo</name>
    <message>
        <source>%1: &quot;%2&quot; is not byte for byte what demo wrote (it was changed since, or comes from elsewhere); refusing to overwrite it</source>
        <translation>%1: «%2» — не байт в байт то, что записал demo (он изменён с тех пор или взят откуда-то ещё); перезаписывать его нельзя</translation>
    </message>
    <message>
        <source>%1: exists and is not a folder</source>
        <translation>%1: существует и не является папкой</translation>
    </message>
    <message>
        <source>%1: the folder cannot be created</source>
        <translation>%1: папку нельзя создать</translation>
    </message>
    <message>
        <source>%1: the folder holds &quot;%2&quot;, which is not a file of the demo archive; refusing to write into a folder that is not empty and not an earlier demo archive</source>
        <translation>%1: в папке есть &quot;%2&quot;, а это не файл демо-архива; в непустую папку, которая не является прежним демо-архивом, ничего не пишется</translation>
    </message>
</context>
<context>
    <name>language</name>
    <message>
        <source>cannot be read</source>
        <translation>не читается</translation>
    </message>
    <message>
        <source>is a folder, not a file</source>
        <translation>это папка, а не файл</translation>
    </message>
    <message>
        <source>is not a regular file</source>
        <translation>это не обычный файл</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>неизвестная ошибка</translation>
    </message>
</context>
<context>
    <name>measurement</name>
    <message>
        <source>not a finite number: the viewer cannot fit the axis to the curve and keeps the previous measurement&apos;s range, so the curve may lie outside it</source>
        <translation>не конечное число: окно просмотра не может подогнать ось под кривую и оставляет диапазон предыдущего измерения, так что кривая может выйти за его пределы</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is &quot;%2&quot;, which looks like a missing value but is neither &quot;nan&quot; nor &quot;32767&quot;: the viewer shows it as it stands, not &quot;%3&quot;</source>
        <translation>поле &quot;%1&quot; равно &quot;%2&quot; — похоже на отсутствующее значение, но это ни &quot;nan&quot;, ни &quot;32767&quot;: окно просмотра показывает его как есть, а не &quot;%3&quot;</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty or missing: the viewer shows an empty field, not &quot;%2&quot;</source>
        <translation>поле &quot;%1&quot; пустое или отсутствует: окно просмотра показывает пустое поле, а не &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 are %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>%1 curve samples such as &quot;%2&quot;</source>
        <translation>точки кривой (%1), например &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1 is %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>32767: the viewer draws such samples as the value 32767 (only in a result does it mean no value), which squeezes the rest of the curve flat</source>
        <translation>32767: окно просмотра рисует такие точки как значение 32767 («нет значения» это означает только в результате), и остальная кривая сплющивается в линию</translation>
    </message>
    <message>
        <source>a &quot;values&quot; array holds %1 samples: the viewer shows only the first %2</source>
        <translation>массив &quot;values&quot; длиннее %2 точек (%1): окно просмотра показывает только первые %2</translation>
    </message>
    <message>
        <source>a curve sample &quot;%1&quot;</source>
        <translation>точка кривой &quot;%1&quot;</translation>
    </message>
    <message>
        <source>a curve sample is not a JSON string: the viewer draws it as 0</source>
        <translation>точка кривой — не строка JSON: окно просмотра рисует её как 0</translation>
    </message>
    <message>
        <source>a misspelt missing-sample mark: the viewer happens to leave a gap, but the mark is &quot;nan&quot; exactly</source>
        <translation>искажённая метка пропуска: окно просмотра случайно оставляет разрыв, но метка — ровно &quot;nan&quot;</translation>
    </message>
    <message>
        <source>a number with spaces around it: the viewer ignores the spaces, but the archive format has none</source>
        <translation>число с пробелами вокруг: окно просмотра пробелы пропускает, но в формате архива их нет</translation>
    </message>
    <message>
        <source>a result or &quot;Status&quot; value is not a JSON string: the viewer shows the field empty (a status as &quot;%1&quot;)</source>
        <translation>результат или значение &quot;Status&quot; — не строка JSON: окно просмотра показывает поле пустым (статус — как &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>cannot be read (%1): the viewer shows nothing for it</source>
        <translation>не читается (%1): окно просмотра ничего для него не показывает</translation>
    </message>
    <message>
        <source>empty: the viewer draws such samples as 0, not as a gap</source>
        <translation>пустой текст: окно просмотра рисует такие точки как 0, а не как разрыв</translation>
    </message>
    <message>
        <source>not a number: the viewer draws such samples as 0, not as a gap (only &quot;nan&quot; marks a missing sample)</source>
        <translation>не число: окно просмотра рисует такие точки как 0, а не как разрыв (пропуск обозначает только &quot;nan&quot;)</translation>
    </message>
    <message>
        <source>status &quot;%1&quot; is not a status code: the viewer shows &quot;%2&quot;</source>
        <translation>статус &quot;%1&quot; — не код статуса: окно просмотра показывает &quot;%2&quot;</translation>
    </message>
    <message>
        <source>status &quot;%1&quot; is out of the range of status codes the viewer reads: it shows &quot;%2&quot;</source>
        <translation>статус &quot;%1&quot; вне диапазона кодов статуса, которые читает окно просмотра: оно показывает &quot;%2&quot;</translation>
    </message>
    <message>
        <source>status code %1 is not in the status table: the viewer shows &quot;%2&quot;</source>
        <translation>кода статуса %1 нет в таблице статусов: окно просмотра показывает &quot;%2&quot;</translation>
    </message>
    <message>
        <source>the first line is longer than %1 bytes: the viewer shows empty fields and no curves</source>
        <translation>первая строка длиннее %1 байт: окно просмотра показывает пустые поля и не рисует кривых</translation>
    </message>
    <message>
        <source>the first line is not a JSON object, and more lines follow (a document spread over several lines is read as its first line only): the viewer shows empty fields and no curves</source>
        <translation>первая строка — не объект JSON, и за ней есть ещё строки (документ на нескольких строках читается только по первой строке): окно просмотра показывает пустые поля и не рисует кривых</translation>
    </message>
    <message>
        <source>the first line is not a JSON object: the viewer shows empty fields and no curves</source>
        <translation>первая строка — не объект JSON: окно просмотра показывает пустые поля и не рисует кривых</translation>
    </message>
    <message>
        <source>written with a decimal comma: the viewer draws such samples as 0</source>
        <translation>десятичная запятая: окно просмотра рисует такие точки как 0</translation>
    </message>
</context>
<context>
    <name>output</name>
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
        <source>%1 characters, more than a spreadsheet cell holds (%2)</source>
        <translation>%1 символов, больше, чем вмещает ячейка таблицы (%2)</translation>
    </message>
    <message>
        <source>%1, column &quot;%2&quot;: %3; nothing is changed, so nothing is written</source>
        <translation>%1, столбец «%2»: %3; ничего не изменяется, поэтому ничего не записано</translation>
    </message>
    <message>
        <source>%1, column &quot;%2&quot;: %3; nothing is cut, so no spreadsheet is written</source>
        <translation>%1, столбец «%2»: %3; ничего не обрезается, поэтому таблица не записана</translation>
    </message>
    <message>
        <source>(empty)</source>
        <translation>(пусто)</translation>
    </message>
    <message>
        <source>(newest)</source>
        <translation>(последняя)</translation>
    </message>
    <message>
        <source>--encoding &quot;%1&quot; is none of oem, ansi and utf-8</source>
        <translation>--encoding «%1» — не oem, не ansi и не utf-8</translation>
    </message>
    <message>
        <source>--encoding %1: code page %2 has no &quot;%3&quot; (U+%4); the output stops before the line that holds it. Leave --encoding out to write UTF-8, and read it in PowerShell, or in cmd after &quot;chcp 65001&quot;</source>
        <translation>--encoding %1: в кодовой странице %2 нет «%3» (U+%4); вывод остановлен перед строкой с этим знаком. Без --encoding вывод идёт в UTF-8: читайте его в PowerShell или в cmd после «chcp 65001»</translation>
    </message>
    <message>
        <source>--encoding %1: this system has no code pages; its output is UTF-8</source>
        <translation>--encoding %1: в этой системе нет кодовых страниц; вывод идёт в UTF-8</translation>
    </message>
    <message>
        <source>EMF max</source>
        <translation>ЭДС макс</translation>
    </message>
    <message>
        <source>EMF median</source>
        <translation>ЭДС медиана</translation>
    </message>
    <message>
        <source>EMF min</source>
        <translation>ЭДС мин</translation>
    </message>
    <message>
        <source>Every value is written exactly or the command fails (exit code 2), naming the file
and the column; nothing is ever cut. A spreadsheet cell holds at most 32,767
characters and none of the control characters XML forbids (a NUL among them); no
CSV, JSON or spreadsheet holds half of a surrogate pair alone (&quot;\ud800&quot; in a file).
</source>
        <translation>Каждое значение записывается в точности, или команда завершается с ошибкой (код 2),
называя файл и столбец; ничто никогда не обрезается. Ячейка таблицы вмещает не более
32 767 символов и ни одного управляющего символа, запрещённого XML (в том числе NUL);
ни CSV, ни JSON, ни таблица не вмещают половину суррогатной пары саму по себе
(«\ud800» в файле).
</translation>
    </message>
    <message>
        <source>Output in a console window is shown right whatever its code page. Output into a file
or a pipe is UTF-8: read it in PowerShell, or in cmd after &quot;chcp 65001&quot; (type, more).
  --encoding E    (with any command) writes standard output into a file or a pipe in a
                  code page instead: oem, cmd's own (%1 here), or ansi, that of
                  Windows programs (%2 here); utf-8 is the default. A character the
                  code page lacks ends the command with an error (exit code 2),
                  never a &quot;?&quot;.
</source>
        <translation>В окне консоли текст виден правильно при любой кодовой странице. Вывод в файл или
канал идёт в UTF-8: читайте его в PowerShell или в cmd после «chcp 65001» (type, more).
  --encoding E    (с любой командой) пишет стандартный вывод в файл или канал в
                  кодовой странице: oem — самой cmd (здесь %1), или ansi — программ
                  Windows (здесь %2); по умолчанию utf-8. Знак, которого нет в
                  кодовой странице, завершает команду с ошибкой (код 2), а не «?».
</translation>
    </message>
    <message>
        <source>cannot be looked up: %1</source>
        <translation>не удаётся проверить: %1</translation>
    </message>
    <message>
        <source>cannot be written into %1: %2</source>
        <translation>нельзя записать в %1: %2</translation>
    </message>
    <message>
        <source>cannot be written: %1</source>
        <translation>нельзя записать: %1</translation>
    </message>
    <message>
        <source>day</source>
        <translation>день</translation>
    </message>
    <message>
        <source>is a folder, not a file</source>
        <translation>это папка, а не файл</translation>
    </message>
    <message>
        <source>is a symbolic link to %1, which belongs to an archive; refusing to write there</source>
        <translation>символьная ссылка на %1, который принадлежит архиву; туда ничего не пишется</translation>
    </message>
    <message>
        <source>is a symbolic link; outputs are written as new files, never through or over a link: name the file itself</source>
        <translation>символьная ссылка; выходные файлы пишутся как новые файлы, никогда не через ссылку и не поверх неё: укажите сам файл</translation>
    </message>
    <message>
        <source>is in %1, which holds archive files (such as %2) and so is an archive to the viewer; nothing is ever written into an archive</source>
        <translation>находится в %1, где есть файлы архива (например, %2), поэтому для окна просмотра это архив; в архив никогда ничего не пишется</translation>
    </message>
    <message>
        <source>is in the archive folder %1 being read; nothing is ever written into an archive</source>
        <translation>находится в читаемой папке архива %1; в архив никогда ничего не пишется</translation>
    </message>
    <message>
        <source>is inside the archive folder %1 being read; nothing is ever written into an archive</source>
        <translation>находится внутри читаемой папки архива %1; в архив никогда ничего не пишется</translation>
    </message>
    <message>
        <source>is named like an archive file (%1), which the viewer would list as a measurement; refusing to write it</source>
        <translation>имя как у файла архива (%1), и окно просмотра показало бы его как измерение; такой файл не пишется</translation>
    </message>
    <message>
        <source>is no file name</source>
        <translation>это не имя файла</translation>
    </message>
    <message>
        <source>is not a regular file (a device, pipe or socket); name a regular file</source>
        <translation>это не обычный файл (устройство, канал или сокет); укажите обычный файл</translation>
    </message>
    <message>
        <source>is the archive folder being read; name a file outside it</source>
        <translation>это читаемая папка архива; укажите файл вне её</translation>
    </message>
    <message>
        <source>is the file %1 of the archive folder being read (the same file under this name); refusing to overwrite it</source>
        <translation>это файл %1 читаемой папки архива (тот же файл под этим именем); он не перезаписывается</translation>
    </message>
    <message>
        <source>is the measurement file %1 being read (the same file under this name); refusing to overwrite a measurement</source>
        <translation>это читаемый файл измерения %1 (тот же файл под этим именем); измерение не перезаписывается</translation>
    </message>
    <message>
        <source>measurements</source>
        <translation>измерений</translation>
    </message>
    <message>
        <source>month</source>
        <translation>месяц</translation>
    </message>
    <message>
        <source>no such folder</source>
        <translation>нет такой папки</translation>
    </message>
    <message>
        <source>none</source>
        <comment>the column of files without a status</comment>
        <translation>без статуса</translation>
    </message>
    <message>
        <source>ok share</source>
        <translation>доля ЕСТЬ ПЛ.</translation>
    </message>
    <message>
        <source>row %1 of the sheet &quot;%2&quot;</source>
        <translation>строка %1 листа «%2»</translation>
    </message>
    <message>
        <source>status</source>
        <translation>статус</translation>
    </message>
    <message>
        <source>temp max</source>
        <translation>T макс</translation>
    </message>
    <message>
        <source>temp median</source>
        <translation>T медиана</translation>
    </message>
    <message>
        <source>temp min</source>
        <translation>T мин</translation>
    </message>
    <message>
        <source>the character U+%1 alone, half of a pair, which no UTF-8 text holds</source>
        <translation>символ U+%1 сам по себе, половина пары, которую не вмещает никакой текст UTF-8</translation>
    </message>
    <message>
        <source>the character U+%1, which a spreadsheet cell cannot hold</source>
        <translation>символ U+%1, который ячейка таблицы вместить не может</translation>
    </message>
    <message>
        <source>the writer gave no content</source>
        <translation>запись не дала содержимого</translation>
    </message>
    <message>
        <source>was never opened</source>
        <translation>не был открыт</translation>
    </message>
    <message>
        <source>week</source>
        <translation>неделя</translation>
    </message>
    <message>
        <source>write error: %1</source>
        <translation>ошибка записи: %1</translation>
    </message>
    <message>
        <source>%1 samples</source>
        <translation>точек: %1</translation>
    </message>
    <message>
        <source>%1: named %2, modified %3</source>
        <translation>%1: в имени %2, изменён %3</translation>
    </message>
    <message>
        <source>EMF curve:</source>
        <translation>кривая ЭДС:</translation>
    </message>
    <message>
        <source>EMF, mV:</source>
        <translation>ЭДС, мВ:</translation>
    </message>
    <message>
        <source>all</source>
        <translation>всего</translation>
    </message>
    <message>
        <source>aluminium mass, kg:</source>
        <translation>масса алюминия, кг:</translation>
    </message>
    <message>
        <source>carbon, %:</source>
        <translation>углерод, %:</translation>
    </message>
    <message>
        <source>checked %1 dated files: %2 modified more than a day away from the moment in their names</source>
        <translation>проверено файлов с датой: %1; изменены больше чем на сутки от момента в имени: %2</translation>
    </message>
    <message>
        <source>checked %1 files: %2 findings in %3 files</source>
        <translation>проверено файлов: %1; замечаний: %2, в файлах: %3</translation>
    </message>
    <message>
        <source>checked %1 files: nothing found</source>
        <translation>проверено файлов: %1; ничего не найдено</translation>
    </message>
    <message>
        <source>checked 0 files: %1</source>
        <translation>проверено 0 файлов: %1</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>мВ</translation>
    </message>
    <message>
        <source>melt:</source>
        <translation>плавка:</translation>
    </message>
    <message>
        <source>oxidation, ppm:</source>
        <translation>окисленность, ppm:</translation>
    </message>
    <message>
        <source>status:</source>
        <translation>статус:</translation>
    </message>
    <message>
        <source>temperature curve:</source>
        <translation>кривая температуры:</translation>
    </message>
    <message>
        <source>temperature, °C:</source>
        <translation>температура, °C:</translation>
    </message>
</context>
<context>
    <name>query</name>
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
</context>
<context>
    <name>rules</name>
    <message>
        <source>modified %1, more than a day away from the moment in its name (%2 of %3 dated files are so): the viewer&apos;s newest measurement and its time lists follow the modification times, so it may open on the wrong melt (a copy that did not keep the times does this); steel-archive check --list-times lists them all</source>
        <translation>изменён %1, больше чем на сутки от момента в имени (таких %2 из %3 файлов с датой): самое новое измерение окна просмотра и его списки времени следуют времени изменения, так что оно может открыться не на той плавке (так бывает после копирования без сохранения времени); все такие файлы перечисляет steel-archive check --list-times</translation>
    </message>
    <message>
        <source>shares its base name with %1: the viewer shows the same time once per file and opens only %2</source>
        <translation>то же базовое имя, что у %1: окно просмотра показывает одно и то же время по разу на каждый файл и открывает только %2</translation>
    </message>
    <message>
        <source>the lists of technology &quot;%1&quot; also lead to this file of technology &quot;%2&quot; (and maybe others of it)</source>
        <translation>списки технологии &quot;%1&quot; ведут и к этому файлу технологии &quot;%2&quot; (а возможно, и к другим её файлам)</translation>
    </message>
    <message>
        <source>the name does not follow %1 in lower case: the viewer lists it but opens a differently written name</source>
        <translation>имя не соответствует %1 в нижнем регистре: окно просмотра показывает его в списке, но открывает иначе написанное имя</translation>
    </message>
    <message>
        <source>the name does not follow %1: %2 is not a real date and time, so the viewer lists an empty entry</source>
        <translation>имя не соответствует %1: %2 — не настоящие дата и время, поэтому окно просмотра показывает пустой пункт</translation>
    </message>
    <message>
        <source>the name does not follow %1: no &quot;-&quot; between the technology and the moment</source>
        <translation>имя не соответствует %1: нет &quot;-&quot; между технологией и моментом</translation>
    </message>
    <message>
        <source>the name does not follow %1: the technology %2 is read as %3, whose lists do not lead to this file</source>
        <translation>имя не соответствует %1: технология %2 читается как %3, и её списки не ведут к этому файлу</translation>
    </message>
    <message>
        <source>the name does not follow %1: the viewer cuts the name at the first &quot;.&quot; and reads only %2</source>
        <translation>имя не соответствует %1: окно просмотра обрезает имя на первой &quot;.&quot; и читает только %2</translation>
    </message>
    <message>
        <source>the name is not valid %1 (the file-name encoding; shown with its invalid bytes escaped): the viewer leaves the file out of its lists, so its measurement cannot be opened there</source>
        <translation>имя — недопустимый текст %1 (кодировка имён файлов; показано с экранированными неверными байтами): окно просмотра не включает файл в свои списки, и его измерение там не открыть</translation>
    </message>
    <message>
        <source>the technology is empty: the viewer lists an empty entry that leads to no measurement</source>
        <translation>технология пустая: окно просмотра показывает пустой пункт, который не ведёт ни к одному измерению</translation>
    </message>
</context>
</TS>
