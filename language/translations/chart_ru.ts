<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>cli</name>
    <message>
        <source>compute the control chart of a result of one technology&apos;s melts</source>
        <translation>вычислить контрольную карту результата плавок одной технологии</translation>
    </message>
    <message>
        <source>Computes the individuals and moving-range control chart (XmR) of one result of one
technology's melts in DIR, oldest first: the centre line (the mean), the control limits
mean +- 2.66 MR (MR: the mean moving range of consecutive values; sigma = MR / 1.128)
and the moving ranges' upper limit 3.267 MR. Marked are the values beyond a control
limit (Western Electric rule 1), the value that completes a run of 8 on one side of the
centre line and each that continues it (rule 2; a value on the line ends a run), and
the moving ranges above their limit. With --lsl and --usl the share of melts outside
the tolerance, and Cpk = min(USL - mean, mean - LSL) / 3 sigma when both are set.
A result is a number written with a decimal point or comma; melts whose result is
"nan", "32767" or another text are counted as without a value, files that cannot be
read are named on standard error and counted. The viewer's control chart window
computes and writes the same chart.
</source>
        <translation>Строит контрольную карту индивидуальных значений и скользящих размахов (X–MR) одного
результата плавок одной технологии в DIR, от старых к новым: центральная линия
(среднее), контрольные границы среднее +- 2,66 MR (MR — средний скользящий размах
соседних значений; сигма = MR / 1,128) и верхняя граница размахов 3,267 MR. Отмечаются
значения за контрольной границей (правило 1 Western Electric), значение, которым
завершается серия из 8 по одну сторону от центральной линии, и каждое, продолжающее
её (правило 2; значение на линии прерывает серию), и размахи выше своей границы.
С --lsl и --usl — доля плавок вне допуска и, когда заданы обе границы,
Cpk = min(USL - среднее, среднее - LSL) / 3 сигмы. Результат — число с десятичной
точкой или запятой; плавки с результатом "nan", "32767" или другим текстом считаются
плавками без значения, файлы, которые нельзя прочитать, называются в стандартном
потоке ошибок и подсчитываются. Окно контрольной карты просмотрщика строит и
записывает ту же карту.
</translation>
    </message>
    <message>
        <source>A name ending in .pdf (or --pdf) draws the chart on one A4 landscape page.
</source>
        <translation>Имя с окончанием .pdf (или --pdf) рисует карту на одной странице A4 в альбомной
ориентации.
</translation>
    </message>
    <message>
        <source>Exit codes: 0 done (also when no melt is selected), 2 bad usage, a folder that
cannot be read, or an output that cannot or must not be written.
</source>
        <translation>Коды завершения: 0 готово (в том числе когда не выбрано ни одной плавки), 2 неверный
вызов, папка, которую нельзя прочитать, или вывод, который нельзя или запрещено записать.
</translation>
    </message>
    <message>
        <source>The technology (required), as the file names write it.</source>
        <translation>Технология (обязательно), как она записана в именах файлов.</translation>
    </message>
    <message>
        <source>The result: temperature (the default), oxidation, emf, aluminium or carbon.</source>
        <translation>Результат: temperature (температура, по умолчанию), oxidation (окисленность), emf (ЭДС), aluminium (алюминий) или carbon (углерод).</translation>
    </message>
    <message>
        <source>Only the last N melts of the period.</source>
        <translation>Только последние N плавок периода.</translation>
    </message>
    <message>
        <source>Start of the period (included), as find takes it.</source>
        <translation>Начало периода (включительно), как у find.</translation>
    </message>
    <message>
        <source>End of the period (left out), as find takes it.</source>
        <translation>Конец периода (не включается), как у find.</translation>
    </message>
    <message>
        <source>Lower tolerance limit.</source>
        <translation>Нижняя граница допуска.</translation>
    </message>
    <message>
        <source>Upper tolerance limit.</source>
        <translation>Верхняя граница допуска.</translation>
    </message>
    <message>
        <source>Draw the chart into a PDF page.</source>
        <translation>Нарисовать карту на странице PDF.</translation>
    </message>
    <message>
        <source>--technology T is required</source>
        <translation>нужен --technology T</translation>
    </message>
    <message>
        <source>--result "%1" is none of %2</source>
        <translation>--result "%1" — ни одно из %2</translation>
    </message>
    <message>
        <source>--last "%1" is no number of melts from 1 on</source>
        <translation>--last "%1" — не число плавок от 1</translation>
    </message>
    <message>
        <source>--%1 "%2" is not a number</source>
        <translation>--%1 "%2" — не число</translation>
    </message>
    <message>
        <source>--lsl must lie below --usl</source>
        <translation>--lsl должна быть меньше --usl</translation>
    </message>
    <message>
        <source>the page could not be drawn</source>
        <translation>страницу не удалось нарисовать</translation>
    </message>
</context>
<context>
    <name>columns</name>
    <message>
        <source>moment</source>
        <translation>момент</translation>
    </message>
    <message>
        <source>file</source>
        <translation>файл</translation>
    </message>
    <message>
        <source>melt</source>
        <translation>плавка</translation>
    </message>
    <message>
        <source>value</source>
        <translation>значение</translation>
    </message>
    <message>
        <source>moving_range</source>
        <translation>скользящий размах</translation>
    </message>
    <message>
        <source>centre</source>
        <translation>центр</translation>
    </message>
    <message>
        <source>lcl</source>
        <translation>НКГ</translation>
    </message>
    <message>
        <source>ucl</source>
        <translation>ВКГ</translation>
    </message>
    <message>
        <source>mr_centre</source>
        <translation>центр MR</translation>
    </message>
    <message>
        <source>mr_ucl</source>
        <translation>ВКГ MR</translation>
    </message>
    <message>
        <source>lsl</source>
        <translation>НГД</translation>
    </message>
    <message>
        <source>usl</source>
        <translation>ВГД</translation>
    </message>
    <message>
        <source>beyond_limits</source>
        <translation>за границей (правило 1)</translation>
    </message>
    <message>
        <source>run</source>
        <translation>серия (правило 2)</translation>
    </message>
    <message>
        <source>mr_beyond_limit</source>
        <translation>размах выше границы</translation>
    </message>
    <message>
        <source>outside_tolerance</source>
        <translation>вне допуска</translation>
    </message>
</context>
<context>
    <name>output</name>
    <message>
        <source>from %1</source>
        <translation>с %1</translation>
    </message>
    <message>
        <source>before %1</source>
        <translation>до %1</translation>
    </message>
    <message>
        <source>the last %1 melts</source>
        <translation>последние плавки: %1</translation>
    </message>
    <message>
        <source>all melts</source>
        <translation>все плавки</translation>
    </message>
    <message>
        <source>temperature, °C</source>
        <translation>температура, °С</translation>
    </message>
    <message>
        <source>oxidation, ppm</source>
        <translation>окисленность, ppm</translation>
    </message>
    <message>
        <source>EMF, mV</source>
        <translation>ЭДС, мВ</translation>
    </message>
    <message>
        <source>aluminium mass, kg</source>
        <translation>масса алюминия, кг</translation>
    </message>
    <message>
        <source>carbon, %</source>
        <translation>углерод, %</translation>
    </message>
    <message>
        <source>technology</source>
        <translation>технология</translation>
    </message>
    <message>
        <source>result</source>
        <translation>результат</translation>
    </message>
    <message>
        <source>period</source>
        <translation>период</translation>
    </message>
    <message>
        <source>melts with a value</source>
        <translation>плавок со значением</translation>
    </message>
    <message>
        <source>melts without a value</source>
        <translation>плавок без значения</translation>
    </message>
    <message>
        <source>unreadable files</source>
        <translation>не прочитано файлов</translation>
    </message>
    <message>
        <source>centre (mean)</source>
        <translation>центр (среднее)</translation>
    </message>
    <message>
        <source>lower control limit</source>
        <translation>нижняя контрольная граница</translation>
    </message>
    <message>
        <source>upper control limit</source>
        <translation>верхняя контрольная граница</translation>
    </message>
    <message>
        <source>mean moving range</source>
        <translation>средний скользящий размах</translation>
    </message>
    <message>
        <source>moving range upper limit</source>
        <translation>верхняя граница размаха</translation>
    </message>
    <message>
        <source>sigma (MR / 1.128)</source>
        <translation>сигма (MR / 1,128)</translation>
    </message>
    <message>
        <source>beyond a control limit (rule 1)</source>
        <translation>за контрольной границей (правило 1)</translation>
    </message>
    <message>
        <source>in a run (rule 2)</source>
        <translation>в серии (правило 2)</translation>
    </message>
    <message>
        <source>moving range above its limit</source>
        <translation>размах выше своей границы</translation>
    </message>
    <message>
        <source>lower tolerance limit</source>
        <translation>нижняя граница допуска</translation>
    </message>
    <message>
        <source>upper tolerance limit</source>
        <translation>верхняя граница допуска</translation>
    </message>
    <message>
        <source>outside the tolerance</source>
        <translation>вне допуска</translation>
    </message>
    <message>
        <source>Rules:</source>
        <translation>Правила:</translation>
    </message>
    <message>
        <source>moment</source>
        <translation>момент</translation>
    </message>
    <message>
        <source>melt</source>
        <translation>плавка</translation>
    </message>
    <message>
        <location filename="../work/wt/35/output/controlcharttables.cpp" line="286" />
        <source>value</source>
        <translation>значение</translation>
    </message>
    <message>
        <source>moving range</source>
        <translation>размах</translation>
    </message>
    <message>
        <source>marks</source>
        <translation>отметки</translation>
    </message>
    <message>
        <source>Points</source>
        <translation>Точки</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Границы</translation>
    </message>
    <message>
        <source>what</source>
        <translation>что</translation>
    </message>
</context>
<context>
    <name>statistics</name>
    <message>
        <source>rule 1: a value beyond a control limit</source>
        <translation>правило 1: значение за контрольной границей</translation>
    </message>
    <message>
        <source>rule 2: %1 values in a row on one side of the centre line</source>
        <translation>правило 2: %1 значений подряд по одну сторону от центральной линии</translation>
    </message>
    <message>
        <source>moving range above its upper limit</source>
        <translation>скользящий размах выше своей верхней границы</translation>
    </message>
</context>
</TS>
