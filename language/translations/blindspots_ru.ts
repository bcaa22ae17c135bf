<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>cli</name>
    <message>
        <source>Only the unfinished file of a run that was killed while writing (.steel-archive-*)
is passed over.
</source>
        <translation>Пропускается только недописанный файл запуска, убитого во время записи
(.steel-archive-*).
</translation>
    </message>
    <message>
        <source>A moment the clocks skip when summer time begins (02:30 on such a night in Berlin)
is read with the offset in force before the change, as 03:30 summer time.
</source>
        <translation>Момент, который часы пропускают при переходе на летнее время (02:30 в такую ночь
в Берлине), читается со смещением, действовавшим до перехода, то есть как 03:30
летнего времени.
</translation>
    </message>
</context>
<context>
    <name>output</name>
    <message>
        <source>Folders are compared by what they are, not by how they are spelt: the archive folder
reached another way (a bind mount, a link) is the archive folder. Set-user-ID and
set-group-ID bits are kept only where the owner and group are (as root).
</source>
        <translation>Папки сравниваются по тому, что они есть, а не по написанию пути: папка архива,
к которой ведёт другой путь (bind-монтирование, ссылка), остаётся папкой архива.
Биты set-user-ID и set-group-ID сохраняются, только если сохраняются владелец
и группа (у root).
</translation>
    </message>
    <message>
        <source>cannot be told apart from the archive: a folder above %1 cannot be looked up (%2)</source>
        <translation>нельзя отличить от архива: папку над %1 не удаётся найти (%2)</translation>
    </message>
    <message>
        <source>exists and may not be written (%1); it is left as it is</source>
        <translation>существует, и записывать его нельзя (%1); он оставлен как есть</translation>
    </message>
</context>
</TS>
