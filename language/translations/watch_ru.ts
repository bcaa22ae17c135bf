<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU" sourcelanguage="en">
<context>
    <name>cli</name>
    <message>
        <source>DIR is also looked at every %1 s, so that nothing the notification misses (a share
written by another machine) goes unprinted; a folder that cannot be read is named on
standard error and still watched, without printing its files again. DIR is known by
its identity, not its name: when another folder takes its place (it or a folder above
it moved away and made anew, another file system mounted over it, a link in the path
pointed elsewhere) the watch ends with exit code 1, unless --follow-name is given.
</source>
        <translation>Кроме того, DIR просматривается каждые %1 с, чтобы ничто пропущенное уведомлениями
(общая папка, в которую пишет другая машина) не осталось невыведенным; папка, которую
нельзя прочитать, называется в стандартном потоке ошибок, слежение за ней продолжается,
а её файлы не выводятся повторно. DIR узнаётся по самой папке, а не по имени: когда
её место занимает другая папка (она сама или папка над ней перемещена и создана
заново, поверх неё смонтирована другая файловая система, ссылка в пути указывает в
другое место), слежение завершается с кодом 1, если не задан --follow-name.
</translation>
    </message>
    <message>
        <source>Follow DIR by its name, as tail -F follows a file: a folder not there yet, gone or replaced is waited for, and once one is there its files are printed, but for those printed before or there at the start. A share mounted on DIR after the start thus has its files printed once; without --follow-name that mount ends the watch.</source>
        <translation>Следить за DIR по имени, как tail -F следит за файлом: папка, которой ещё нет, которая исчезла или заменена, ожидается, и когда она есть, её файлы выводятся, кроме уже выведенных и бывших там с начала. Поэтому у общей папки, смонтированной на DIR после начала, файлы выводятся один раз; без --follow-name такое монтирование завершает слежение.</translation>
    </message>
    <message>
        <source>%1: %2; still watching</source>
        <translation>%1: %2; слежение продолжается</translation>
    </message>
    <message>
        <source>%1: can be read again</source>
        <translation>%1: снова читается</translation>
    </message>
    <message>
        <source>%1: %2; waiting until it can be watched</source>
        <translation>%1: %2; жду, когда за ней можно будет следить</translation>
    </message>
    <message>
        <source>%1: watching the folder now there</source>
        <translation>%1: слежу за папкой, которая теперь там</translation>
    </message>
    <message>
        <source>%1: the folder is gone; waiting for it to come back</source>
        <translation>%1: папка исчезла; жду её возвращения</translation>
    </message>
    <message>
        <source>%1: the folder was replaced; following the new one</source>
        <translation>%1: папка заменена; слежу за новой</translation>
    </message>
    <message>
        <source>%1: the folder was replaced; stopped watching</source>
        <translation>%1: папка заменена; слежение остановлено</translation>
    </message>
</context>
<context>
    <name>archive</name>
    <message>
        <source>the system&apos;s change notification refuses the folder</source>
        <translation>системные уведомления об изменениях не принимают папку</translation>
    </message>
    <message>
        <source>the folder cannot be listed</source>
        <translation>не удаётся получить список файлов папки</translation>
    </message>
</context>
</TS>
