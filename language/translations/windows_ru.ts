<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>cli</name>
    <message>
        <source>What was read is kept in an index, so that the next question about an unchanged
or slightly changed archive reads only the files that changed (size, times, file
index or volume differ) and the rows whose checksums no longer match; the answer
is the same with or without it. The index lives in
%LOCALAPPDATA%\steel-archive\cache\index, one SQLite file per archive folder (by
its full path with links resolved), never in the archive: none is used when that
folder lies in the archive or the index file is a link. Together the indexes may
take %1 GiB, beyond which the least recently used go.
</source>
        <translation>Прочитанное сохраняется в индексе, чтобы следующий запрос к неизменному или немного
изменённому архиву читал только изменившиеся файлы (другие размер, время, индекс
файла или том) и строки, чьи контрольные суммы больше не совпадают; ответ с индексом
и без него один и тот же. Индекс хранится в %LOCALAPPDATA%\steel-archive\cache\index,
по одному файлу SQLite на папку архива (по её полному пути с раскрытыми ссылками),
и никогда в архиве: индекс не используется, если эта папка лежит в архиве или файл
индекса — ссылка. Вместе индексы занимают не больше %1 ГиБ; сверх этого удаляются
те, что дольше всех не использовались.
</translation>
    </message>
    <message>
        <source>Windows tells volumes apart by their serial numbers only: another disk or image
with the same serial number, times and file indexes in the same place goes unseen
by the index; use --no-index after such a swap.
</source>
        <translation>Windows различает тома только по серийным номерам: другой диск или образ с тем же
серийным номером, временем и индексами файлов на том же месте останется для индекса
незамеченным; после такой подмены используйте --no-index.
</translation>
    </message>
    <message>
        <source>A folder may end in a backslash even within quotes (&quot;D:\plant data\archive\&quot;),
though Windows then passes on a quote in its place: it is taken for the folder.
</source>
        <translation>Папка может кончаться обратной косой чертой и в кавычках (&quot;D:\plant data\archive\&quot;),
хотя Windows передаёт тогда вместо неё кавычку: она понимается как конец папки.
</translation>
    </message>
</context>
<context>
    <name>output</name>
    <message>
        <source>Folders are compared by what they are, not by how they are spelt: the archive folder
reached another way (a mapped drive, a junction, a link, a short name) is the
archive folder.
</source>
        <translation>Папки сравниваются по тому, что они есть, а не по написанию пути: папка архива,
к которой ведёт другой путь (подключённый сетевой диск, соединение, ссылка,
короткое имя), остаётся папкой архива.
</translation>
    </message>
</context>
</TS>
