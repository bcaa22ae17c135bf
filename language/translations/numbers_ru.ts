<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation>Использование: %1</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[параметры]</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Параметры:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>Аргументы:</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>Commands:</source>
        <translation>Команды:</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>неизвестный параметр «%1»</translation>
    </message>
    <message>
        <source>missing value after &apos;%1&apos;</source>
        <translation>не хватает значения после «%1»</translation>
    </message>
    <message>
        <source>steel-archive: unknown option &apos;%1&apos;; see steel-archive --help</source>
        <translation>steel-archive: неизвестный параметр «%1»; см. steel-archive --help</translation>
    </message>
    <message>
        <source>%1: the name must end in %2 for %3 output</source>
        <translation>%1: для вывода %3 имя должно кончаться на %2</translation>
    </message>
    <message>
        <source>%1: the name ends in %2, but the output is %3</source>
        <translation>%1: имя кончается на %2, а выводится %3</translation>
    </message>
    <message>
        <source>%1: the name ends in %2, but %3 writes no %4</source>
        <translation>%1: имя кончается на %2, а %3 не пишет %4</translation>
    </message>
    <message>
        <source>Write a spreadsheet file (.xlsx).</source>
        <translation>Записать файл электронной таблицы (.xlsx).</translation>
    </message>
    <message>
        <source>Write to OUT instead of standard output (&quot;-&quot;).</source>
        <translation>Записать в OUT вместо стандартного вывода (&quot;-&quot;).</translation>
    </message>
    <message>
        <source>-o OUT writes the file OUT, whose suffix chooses the format where no option does
(.json, .csv, .xlsx; any other for the plain lines); -o - is standard output,
which takes a spreadsheet file too, unless it is a terminal.
</source>
        <translation>-o OUT записывает файл OUT, и его расширение выбирает формат, если его не выбрал
параметр (.json, .csv, .xlsx; любое другое — простые строки); -o - — стандартный
вывод, который принимает и файл электронной таблицы, если это не терминал.
</translation>
    </message>
    <message>
        <source>OUT&apos;s suffix chooses the format where no option does (.csv, .xlsx; any other
for CSV); -o - is standard output, which takes a spreadsheet file too,
unless it is a terminal.
</source>
        <translation>Расширение OUT выбирает формат, если его не выбрал параметр (.csv, .xlsx; любое
другое — CSV); -o - — стандартный вывод, который принимает и файл электронной
таблицы, если это не терминал.
</translation>
    </message>
    <message>
        <source>The name must end in .pdf; -o - writes the report to standard
output unless it is a terminal.
</source>
        <translation>Имя должно кончаться на .pdf; -o - выводит отчёт в стандартный вывод, если это не
терминал.
</translation>
    </message>
    <message>
        <source>Write a PNG.</source>
        <translation>Записать PNG.</translation>
    </message>
    <message>
        <source>Write a PDF.</source>
        <translation>Записать PDF.</translation>
    </message>
</context>
<context>
    <name>columns</name>
    <message>
        <source>time_s</source>
        <translation>время, с</translation>
    </message>
    <message>
        <source>emf_mV</source>
        <translation>ЭДС, мВ</translation>
    </message>
    <message>
        <source>temperature_C</source>
        <translation>температура, °C</translation>
    </message>
    <message>
        <source>melt</source>
        <translation>плавка</translation>
    </message>
    <message>
        <source>moment</source>
        <translation>момент</translation>
    </message>
    <message>
        <source>technology</source>
        <translation>технология</translation>
    </message>
    <message>
        <source>oxidation_ppm</source>
        <translation>окисленность, ppm</translation>
    </message>
    <message>
        <source>aluminium_kg</source>
        <translation>масса алюминия, кг</translation>
    </message>
    <message>
        <source>carbon_pct</source>
        <translation>углерод, %</translation>
    </message>
    <message>
        <source>status_code</source>
        <translation>код статуса</translation>
    </message>
    <message>
        <source>status</source>
        <translation>статус</translation>
    </message>
    <message>
        <source>file</source>
        <translation>файл</translation>
    </message>
    <message>
        <source>measurements</source>
        <translation>измерений</translation>
    </message>
    <message>
        <source>ok_share</source>
        <translation>доля ЕСТЬ ПЛ.</translation>
    </message>
    <message>
        <source>temp_min</source>
        <translation>T мин, °C</translation>
    </message>
    <message>
        <source>temp_median</source>
        <translation>T медиана, °C</translation>
    </message>
    <message>
        <source>temp_max</source>
        <translation>T макс, °C</translation>
    </message>
    <message>
        <source>emf_min</source>
        <translation>ЭДС мин, мВ</translation>
    </message>
    <message>
        <source>emf_median</source>
        <translation>ЭДС медиана, мВ</translation>
    </message>
    <message>
        <source>emf_max</source>
        <translation>ЭДС макс, мВ</translation>
    </message>
</context>
<context>
    <name>measurement</name>
    <message>
        <source>&quot;%1&quot; is &quot;%2&quot;, written with a decimal comma: the viewer shows it as written, but other programs may not read it as a number</source>
        <translation>поле &quot;%1&quot; равно &quot;%2&quot; — с десятичной запятой: окно просмотра показывает его как записано, но другие программы могут не прочесть его как число</translation>
    </message>
</context>
<context>
    <name>output</name>
    <message>
        <source>Results</source>
        <translation>Результаты</translation>
    </message>
    <message>
        <source>Samples</source>
        <translation>Точки</translation>
    </message>
    <message>
        <source>more rows than a sheet holds (%1)</source>
        <translation>строк больше, чем вмещает лист (%1)</translation>
    </message>
    <message>
        <source>no private temporary folder can be made: %1</source>
        <translation>не удаётся создать свою временную папку: %1</translation>
    </message>
    <message>
        <source>plain text</source>
        <translation>простой текст</translation>
    </message>
    <message>
        <source>the sheet &quot;%1&quot; cannot be added</source>
        <translation>лист &quot;%1&quot; не удаётся добавить</translation>
    </message>
    <message>
        <source>the spreadsheet cannot be started</source>
        <translation>электронную таблицу не удаётся начать</translation>
    </message>
    <message>
        <source>the temporary folder %1 %2</source>
        <translation>временная папка %1 %2</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>Измерения</translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation>Статистика</translation>
    </message>
</context>
</TS>
