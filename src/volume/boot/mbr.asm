; =============================================================================
; Master boot program: sector 0 of the prepared disk.
;
; It moves itself out of the way to 0000:0600, finds the active partition,
; reads the partition's first sector to 0000:7C00 (CHS or extended LBA read,
; 5 tries with a drive reset between them), falls back to the backup boot
; sector 6 sectors further for FAT32 partitions, and jumps to it with
; DL = drive and DS:SI -> the active entry.
;
; Memory map (real-mode linear addresses, all in segment 0)
;   00600 .. 007FF     the relocated sector; code, texts and the table run here
;   07C00 .. 07DFF     where the firmware loaded this sector; then the
;                      partition's boot sector is read to the same place
;   below 07C00        the stack
;
; Fixed places in the sector
;   0x000..0x01A  relocation (runs at 0000:7C00)
;   0x01B         continuation at 0000:061B
;   0x12C, 0x144, 0x163   the three texts, zero-terminated
;   0x1B5..0x1B7  low bytes of the texts' addresses (0x700 + byte)
;   0x1B8..0x1BB  disk signature B1732E49h
;   0x1BE..0x1FD  partition table (written empty; the layout request fills it)
;   0x1FE..0x1FF  55 AA
; =============================================================================

        cpu     386
        bits    16
        org     0x0600

%define LOADED          0x7C00          ; where the firmware put this sector
%define RELOCATED       0x0600
%define COPY_FROM       0x1B            ; bytes 0x1B.. are copied (485 bytes)
%define TABLE           RELOCATED + 0x1BE
%define TEXT_SELECTORS  RELOCATED + 0x1B5
%define SELECT_INVALID  TEXT_SELECTORS + 0
%define SELECT_ERROR    TEXT_SELECTORS + 1
%define SELECT_MISSING  TEXT_SELECTORS + 2
%define TEXT_PAGE       0x07            ; text address = 0700h + selector byte
%define BOOT_SIGNATURE  LOADED + 510
%define READ_TRIES      5
%define BACKUP_OFFSET   6               ; the FAT32 backup boot sector

; Partition entry fields.
%define ENTRY_BOOT      0
%define ENTRY_HEAD      1
%define ENTRY_SECTOR    2               ; bits 0-5 sector, 6-7 cylinder bits 8-9
%define ENTRY_CYLINDER  3
%define ENTRY_TYPE      4
%define ENTRY_LBA       8

%include "place.inc"

; -----------------------------------------------------------------------------
; Relocation, at 0000:7C00: stack below the loaded sector, DS = ES = 0, copy
; bytes 0x1B..0x1FF to 0000:061B and continue there.
; -----------------------------------------------------------------------------
start:
        xor     ax, ax
        mov     ss, ax
        mov     sp, LOADED
        sti
        push    ax
        pop     es
        push    ax
        pop     ds
        cld
        mov     si, LOADED + COPY_FROM
        mov     di, RELOCATED + COPY_FROM
        push    ax                      ; far return to 0000:061B
        push    di
        mov     cx, 512 - COPY_FROM
        rep     movsb                   ; leaves CX = 0
        retf

        place   COPY_FROM
; -----------------------------------------------------------------------------
; Find the active entry: the first whose boot indicator has its top bit set.
; An indicator of 01..7F before it, or anything but 0 after it, is an invalid
; table; no active entry at all goes to INT 18h.
; -----------------------------------------------------------------------------
relocated:
        mov     si, TABLE
        mov     cl, 4
.scan:
        mov     al, [si+ENTRY_BOOT]
        test    al, al
        js      .active
        jnz     invalid_table
        add     si, 16
        loop    .scan
        int     0x18                    ; nothing to boot from this disk
.active:
        mov     bx, si                  ; the entries after it must be empty
.rest:
        dec     cx
        jz      load
        add     bx, 16
        cmp     byte [bx+ENTRY_BOOT], 0
        je      .rest
invalid_table:
        mov     di, SELECT_INVALID
        jmp     show

; -----------------------------------------------------------------------------
; Load the partition's boot sector; for FAT32 types try the backup boot
; sector when the first one does not read or lacks 55 AA.
; In: SI -> active entry
; -----------------------------------------------------------------------------
load:
        mov     dl, [si+ENTRY_BOOT]     ; the indicator is the BIOS drive number
        call    try_boot_sector         ; returns only on failure, DI = text
        mov     al, [si+ENTRY_TYPE]
        cmp     al, 0x0B
        je      .backup
        cmp     al, 0x0C
        jne     show
.backup:
        add     byte [si+ENTRY_SECTOR], BACKUP_OFFSET
        add     dword [si+ENTRY_LBA], byte BACKUP_OFFSET
        call    try_boot_sector
        ; fall through: the backup failed too

; -----------------------------------------------------------------------------
; show: print the text that [DI] selects and stop.
; -----------------------------------------------------------------------------
show:
        mov     al, [di]
        mov     ah, TEXT_PAGE
        mov     si, ax
.next:
        lodsb
        test    al, al
        jz      .stop
        mov     ah, 0x0E
        mov     bx, 7
        int     0x10
        jmp     .next
.stop:
        jmp     .stop

; -----------------------------------------------------------------------------
; try_boot_sector: read the entry's first sector to 0000:7C00 and, when it
; ends in 55 AA, jump to it with DL = drive and DS:SI -> the entry.
; In:  SI -> entry, DL = drive
; Out: (only on failure) DI -> the selector of the text to show
; Clobbers: AX, BX, CX, DH, DI, BP, ES
; -----------------------------------------------------------------------------
try_boot_sector:
        call    read_sector
        mov     di, SELECT_ERROR
        jc      .failed
        mov     di, SELECT_MISSING
        cmp     word [BOOT_SIGNATURE], 0xAA55
        jne     .failed
        jmp     0x0000:LOADED
.failed:
        ret

; -----------------------------------------------------------------------------
; read_sector: the entry's sector to 0000:7C00. CHS (function 02h) when the
; geometry query fails or the LBA lies within sectors x heads x cylinders;
; otherwise an extended read (42h), which needs the extensions (41h).
; Each read is tried 5 times with a drive reset (00h) between tries.
; In:  SI -> entry, DL = drive
; Out: CF set when the sector could not be read
; Clobbers: AX, BX, CX, DH, BP, ES
; -----------------------------------------------------------------------------
read_sector:
        push    dx
        push    di
        mov     ah, 0x08                ; drive parameters
        int     0x13
        pop     di
        push    word 0
        pop     es                      ; ES may have been changed
        xor     bp, bp                  ; BP = 0: CHS
        jc      .chosen
        movzx   eax, cl
        and     al, 0x3F                ; sectors per track
        movzx   ebx, dh
        inc     bx                      ; heads
        mul     ebx
        mov     bl, ch                  ; cylinders: CL bits 6-7, CH
        mov     bh, cl
        shr     bh, 6
        inc     bx
        mul     ebx                     ; EAX = sectors x heads x cylinders
        cmp     [si+ENTRY_LBA], eax
        jb      .chosen                 ; reachable through CHS
        inc     bp                      ; BP = 1: extended read
.chosen:
        pop     dx                      ; the drive again
        test    bp, bp
        jz      .reads
        mov     ah, 0x41                ; extensions present?
        mov     bx, 0x55AA
        int     0x13
        jc      .fail
        cmp     bx, 0xAA55
        jne     .fail
        test    cl, 1                   ; packet access supported
        jz      .fail
.reads:
        mov     cx, READ_TRIES
.try:
        pusha
        test    bp, bp
        jnz     .lba
        mov     ax, 0x0201              ; read 1 sector
        mov     bx, LOADED              ; ES:BX = 0000:7C00
        mov     dh, [si+ENTRY_HEAD]
        mov     cx, [si+ENTRY_SECTOR]   ; CL = sector | cylinder 8-9, CH = cylinder
        int     0x13
        jmp     .tried
.lba:
        push    dword 0                 ; packet: LBA bits 32..63
        push    dword [si+ENTRY_LBA]    ;         LBA bits 0..31
        push    es                      ;         segment 0
        push    word LOADED             ;         offset 7C00h
        push    byte 1                  ;         one sector
        push    byte 16                 ;         size 16, reserved 0
        mov     si, sp
        mov     ah, 0x42
        int     0x13
        lea     sp, [si+16]             ; drop the packet, flags kept
.tried:
        popa
        jnc     .done
        pusha
        xor     ax, ax                  ; reset the drive
        int     0x13
        popa
        loop    .try
.fail:
        stc
.done:
        ret

        place   0x12C
        db      "Invalid partition table", 0
        place   0x144
        db      "Error loading operating system", 0
        place   0x163
        db      "Missing operating system", 0

        place   0x1B5
        db      0x2C, 0x44, 0x63        ; text selectors
        dd      0xB1732E49              ; disk signature
        dw      0
        times   64 db 0                 ; empty partition table
        db      0x55, 0xAA
